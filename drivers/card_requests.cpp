#include "card_requests.h"

#include <iterator>

#include <ombrin/paths.h>

#include "equalizer_device.h"
#include "speaker_device.h"

namespace ombrin::card {
namespace {

constexpr DWORD soundRequest(DWORD function, DWORD method) {
  return CTL_CODE(FILE_DEVICE_SOUND, function, method, FILE_ANY_ACCESS);
}

constexpr RequestRow kRequests[] = {
    {soundRequest(0x996, METHOD_BUFFERED), "IOCTL_EQ_SET_BAND_GAIN", Unit::Core, 12, 12, 0, setBandGain},
    {soundRequest(0x9AA, METHOD_BUFFERED), "IOCTL_EQ_SET_ALL_GAINS", Unit::Core, 44, 44, 0, setAllGains},
    {soundRequest(0x9B4, METHOD_BUFFERED), "IOCTL_EQ_GET_ALL_GAINS", Unit::Core, 0, 0, 44, getAllGains},
    {soundRequest(0x9BE, METHOD_BUFFERED), "IOCTL_EQ_GET_BAND_LEVELS", Unit::Core, 0, 0, 44, getBandLevels},
    {soundRequest(0x9C8, METHOD_BUFFERED), "IOCTL_EQ_SET_COEFF_SET_DATA", Unit::Core, 248, 248, 4, setCoeffSetData},
    {soundRequest(0x9D2, METHOD_OUT_DIRECT), "IOCTL_EQ_GET_COEFF_SET_DATA", Unit::Core, 4, 4, 248, getCoeffSetData},
    {soundRequest(0x9DC, METHOD_BUFFERED), "IOCTL_EQ_SET_ACTIVE_COEFF_SET", Unit::Core, 4, 4, 4, setActiveCoeffSet},
    {soundRequest(0x9E6, METHOD_BUFFERED), "IOCTL_EQ_GET_ACTIVE_COEFF_SET", Unit::Core, 4, 4, 4, getActiveCoeffSet},
    {soundRequest(0x9F0, METHOD_BUFFERED), "IOCTL_EQ_SET_ACTIVE_COEFF_SET_DATA", Unit::Core, 248, 248, 4,
     setActiveCoeffSetData},
    {soundRequest(0x9FA, METHOD_BUFFERED), "IOCTL_EQ_GET_ACTIVE_COEFF_SET_DATA", Unit::Core, 4, 4, 248,
     getActiveCoeffSetData},
    {soundRequest(0xA18, METHOD_BUFFERED), "IOCTL_CLOSE_CLIENT", Unit::Core, 0, 0, 0, closeClient},
    {soundRequest(0x982, METHOD_BUFFERED), "IOCTL_SPK_SET_WAVE_OPTION", Unit::Wave, 4, 4, 0, setWaveOption},
    {soundRequest(0xA90, METHOD_OUT_DIRECT), "IOCTL_SPK_GET_STATUS", Unit::Core, 4, 4, 40, getStatus},
    {soundRequest(0xA9A, METHOD_BUFFERED), "IOCTL_SPK_GET_NEXT_DEVICE_ID", Unit::Core, 0, 4, 4, getNextDeviceId},
    {soundRequest(0xAA4, METHOD_BUFFERED), "IOCTL_SPK_SET_MIXER_CONFIG", Unit::Mixer, 28, 28, 4, setMixerConfig},
    {soundRequest(0xAAE, METHOD_BUFFERED), "IOCTL_SPK_SET_CORE_CONFIG", Unit::Core, 28, 28, 4, setCoreConfig},
    {soundRequest(0xAB8, METHOD_BUFFERED), "IOCTL_SPK_GET_MIXER_INFO", Unit::Mixer, 4, 4, 392, getMixerInfo},
    {soundRequest(0xAC2, METHOD_BUFFERED), "IOCTL_SPK_GET_CORE_INFO", Unit::Core, 4, 0, 268, getCoreInfo},
    {soundRequest(0xACC, METHOD_BUFFERED), "IOCTL_SPK_GET_MIXER_STATUS", Unit::Mixer, 4, 4, 28, getMixerStatus},
    {soundRequest(0xAD6, METHOD_BUFFERED), "IOCTL_SPK_SET_MIXER_CONFIG_EX", Unit::Mixer, 28, 28, 4, setMixerConfigEx},
    {soundRequest(0xB3A, METHOD_OUT_DIRECT), "IOCTL_SET_PROPERTY", Unit::Core, 15, 15, 10, setProperty},
    {soundRequest(0xB44, METHOD_OUT_DIRECT), "IOCTL_GET_PROPERTY", Unit::Core, 15, 15, 10, getProperty},
};

static_assert(kRequests[0].code == 0x001D2658 && kRequests[5].code == 0x001D274A && kRequests[11].code == 0x001D2608 &&
              kRequests[19].code == 0x001D2B58 && kRequests[21].code == 0x001D2D12);

}  // namespace

const RequestRow* findRequest(DWORD code) {
  for (const auto& row : kRequests)
    if (row.code == code) return &row;
  return nullptr;
}

const RequestRow* findRequest(std::string_view name) {
  for (const auto& row : kRequests) {
    std::string_view full = row.name;
    if (paths::equalsNoCase(full, name) || paths::equalsNoCase(full.substr(6), name)) return &row;
  }
  return nullptr;
}

const RequestRow* requestsBegin() { return std::begin(kRequests); }
const RequestRow* requestsEnd() { return std::end(kRequests); }

}  // namespace ombrin::card
