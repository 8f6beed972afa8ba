// LoadIconA, DestroyIcon and LoadBitmapA: image handles holding a copy of the module's image.
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <ombrin/handles.h>
#include <ombrin/machine.h>
#include <ombrin/resources.h>
#include <ombrin/trace.h>
#include <win32/winuser.h>

#include "resources_name.h"

namespace ombrin::resources {
namespace {

struct ImageObject {
  HMODULE module;
  UINT id;
  LONG width = 0;
  LONG height = 0;
  WORD bitCount = 0;
  std::vector<COLORREF> palette;
  std::vector<BYTE> pixels;
  std::vector<BYTE> mask;  // empty when opaque
  bool shared = false;

  ImageObject(HMODULE m, UINT i, const OmbrinImage& image) : module(m), id(i) {
    width = image.width;
    height = image.height;
    bitCount = image.bitCount;
    if (image.palette != nullptr) palette.assign(image.palette, image.palette + image.paletteSize);
    auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (image.pixels != nullptr) pixels.assign(image.pixels, image.pixels + count);
    if (image.mask != nullptr) mask.assign(image.mask, image.mask + count);
  }

  void describe(ImageInfo& info) const {
    info = ImageInfo{module,  id, width, height, bitCount, palette.data(), static_cast<UINT>(palette.size()),
                     pixels.data(), mask.empty() ? nullptr : mask.data()};
  }
};

struct Images {
  HandleTable<HICON, ImageObject> icons;
  HandleTable<HBITMAP, ImageObject> bitmaps;
  std::mutex mutex;
  std::map<std::pair<std::uint32_t, UINT>, HICON> sharedIcons;  // (module, id): LoadIcon hands out one handle

  void clear() {
    icons.clear();
    bitmaps.clear();
    std::lock_guard lock(mutex);
    sharedIcons.clear();
  }
};

Images& images() {
  static Images state;
  static const bool registered = [] {
    machine::onReset([] { images().clear(); });
    return true;
  }();
  (void)registered;
  return state;
}

// LoadIcon wants the icon at the system's icon size: 32 by 32, the richest depth there is.
const OmbrinImage* pickIconImage(const OmbrinIconResource& group) {
  const OmbrinImage* best = nullptr;
  for (UINT i = 0; i < group.imageCount; ++i) {
    const OmbrinImage& candidate = group.images[i];
    bool fits = candidate.width == 32 && candidate.height == 32;
    bool bestFits = best != nullptr && best->width == 32 && best->height == 32;
    if (best == nullptr || (fits && !bestFits) || (fits == bestFits && candidate.bitCount > best->bitCount))
      best = &candidate;
  }
  return best;
}

// The system's own icons (IDI_APPLICATION to IDI_WINLOGO), drawn here: a framed square whose
// colour tells which one it is.
const OmbrinImage* systemIcon(UINT id) {
  struct Stock {
    UINT id;
    BYTE colour;
  };
  static constexpr Stock kStock[] = {{32512, 15}, {32513, 9}, {32514, 12}, {32515, 11}, {32516, 12}, {32517, 10}};
  struct Drawn {
    BYTE pixels[32 * 32];
    OmbrinImage image;
  };
  static Drawn drawn[std::size(kStock)];
  static std::once_flag once;
  std::call_once(once, [] {
    for (std::size_t n = 0; n < std::size(kStock); ++n) {
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          bool frame = x < 2 || y < 2 || x > 29 || y > 29;
          drawn[n].pixels[y * 32 + x] = frame ? 0 : (x > 7 && x < 24 && y > 7 && y < 24) ? kStock[n].colour : 7;
        }
      drawn[n].image = OmbrinImage{32, 32, 4, kVgaPalette, 16, drawn[n].pixels, nullptr};
    }
  });
  for (std::size_t n = 0; n < std::size(kStock); ++n)
    if (kStock[n].id == id) return &drawn[n].image;
  return nullptr;
}

}  // namespace

bool iconInfo(HICON icon, ImageInfo& info) {
  auto object = images().icons.find(icon);
  if (!object) return false;
  object->describe(info);
  return true;
}

bool bitmapInfo(HBITMAP bitmap, ImageInfo& info) {
  auto object = images().bitmaps.find(bitmap);
  if (!object) return false;
  object->describe(info);
  return true;
}

bool releaseBitmap(HBITMAP bitmap) { return images().bitmaps.remove(bitmap) != nullptr; }

}  // namespace ombrin::resources

using namespace ombrin::resources;

extern "C" HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  auto number = resourceNumber(lpIconName);
  HICON result{};
  const OmbrinImage* image = nullptr;
  if (!number) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  } else if (!hInstance) {
    image = systemIcon(*number);
    if (image == nullptr) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  } else if (const auto* group = findIcon(hInstance, *number)) {
    image = pickIconImage(*group);
    if (image == nullptr) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  }
  if (image != nullptr) {
    Images& state = images();
    std::lock_guard lock(state.mutex);
    auto key = std::make_pair(hInstance.value, *number);
    auto it = state.sharedIcons.find(key);
    if (it != state.sharedIcons.end() && state.icons.find(it->second)) {
      result = it->second;
    } else {
      auto object = std::make_shared<ImageObject>(hInstance, *number, *image);
      object->shared = true;
      result = state.icons.insert(object);
      state.sharedIcons[key] = result;
    }
  }
  OMBRIN_TRACE("res", "LoadIconA(%#x, %u) = %#x", hInstance.value, number.value_or(0xFFFFFFFFu), result.value);
  return result;
}

extern "C" BOOL WINAPI DestroyIcon(HICON hIcon) {
  auto object = images().icons.find(hIcon);
  BOOL ok = object ? TRUE : FALSE;
  // A shared icon belongs to its module: destroying it succeeds and leaves it usable.
  if (object && !object->shared) images().icons.remove(hIcon);
  if (!object) SetLastError(ERROR_INVALID_CURSOR_HANDLE);
  OMBRIN_TRACE("res", "DestroyIcon(%#x) = %d", hIcon.value, ok);
  return ok;
}

extern "C" HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
  auto number = resourceNumber(lpBitmapName);
  HBITMAP result{};
  if (!number || !hInstance) {
    // The system's own bitmaps (OBM_) are not part of this machine.
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  } else if (const auto* entry = findBitmap(hInstance, *number)) {
    if (entry->image != nullptr)
      result = images().bitmaps.insert(std::make_shared<ImageObject>(hInstance, *number, *entry->image));
    else
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  }
  OMBRIN_TRACE("res", "LoadBitmapA(%#x, %u) = %#x", hInstance.value, number.value_or(0xFFFFFFFFu), result.value);
  return result;
}
