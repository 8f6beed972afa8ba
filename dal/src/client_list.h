// The registered speaker clients of the process: a singly linked list whose nodes come from
// storage its derived class chooses. The library's one list takes them from a pool of 16.
#pragma once

#include <win32/windows.h>

namespace qv10dal {

struct CLIENTNODE {
  DWORD threadId;  // the thread that initialised the object
  HANDLE hEvent;   // the object's change-notification event
  DWORD reserved;  // always 0
  CLIENTNODE* next;
};

class CClientList {
 public:
  CClientList() = default;
  virtual ~CClientList();
  CClientList(const CClientList&) = delete;
  CClientList& operator=(const CClientList&) = delete;

  // A new node holding a copy of the client with its link cleared, or null.
  virtual CLIENTNODE* AllocNode(const CLIENTNODE& client);
  virtual void FreeNode(CLIENTNODE* node);

  bool Contains(DWORD threadId, HANDLE event) const;
  // Appends a copy at the tail; false when no node could be had.
  bool Append(const CLIENTNODE& client);
  // Unlinks and frees the client's node; false when it is not in the list.
  bool Remove(DWORD threadId, HANDLE event);
  // The same for the node of an event, whichever thread registered it.
  bool RemoveEvent(HANDLE event);
  // Gives every node back to the storage that made it.
  void Clear();

  template <typename F>
  void ForEach(F f) const {
    for (const CLIENTNODE* node = m_head; node != nullptr; node = node->next) f(*node);
  }

 protected:
  CLIENTNODE* m_head = nullptr;
};

class CClientPoolList : public CClientList {
 public:
  static constexpr int kSlots = 16;

  CClientPoolList() = default;
  ~CClientPoolList() override;

  CLIENTNODE* AllocNode(const CLIENTNODE& client) override;
  void FreeNode(CLIENTNODE* node) override;

 private:
  struct Slot {
    int inUse;
    CLIENTNODE node;
  };
  Slot m_pool[kSlots] = {};
};

}  // namespace qv10dal
