#include "client_list.h"

namespace qv10dal {

CClientList::~CClientList() { Clear(); }

CLIENTNODE* CClientList::AllocNode(const CLIENTNODE& client) {
  auto* node = new CLIENTNODE(client);
  node->next = nullptr;
  return node;
}

void CClientList::FreeNode(CLIENTNODE* node) { delete node; }

bool CClientList::Contains(DWORD threadId, HANDLE event) const {
  for (const CLIENTNODE* node = m_head; node != nullptr; node = node->next)
    if (node->threadId == threadId && node->hEvent == event) return true;
  return false;
}

bool CClientList::Append(const CLIENTNODE& client) {
  CLIENTNODE* node = AllocNode(client);
  if (node == nullptr) return false;
  CLIENTNODE** tail = &m_head;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = node;
  return true;
}

bool CClientList::Remove(DWORD threadId, HANDLE event) {
  for (CLIENTNODE** link = &m_head; *link != nullptr; link = &(*link)->next) {
    CLIENTNODE* node = *link;
    if (node->threadId != threadId || node->hEvent != event) continue;
    *link = node->next;
    FreeNode(node);
    return true;
  }
  return false;
}

bool CClientList::RemoveEvent(HANDLE event) {
  for (CLIENTNODE** link = &m_head; *link != nullptr; link = &(*link)->next) {
    CLIENTNODE* node = *link;
    if (node->hEvent != event) continue;
    *link = node->next;
    FreeNode(node);
    return true;
  }
  return false;
}

void CClientList::Clear() {
  while (m_head != nullptr) {
    CLIENTNODE* node = m_head;
    m_head = node->next;
    FreeNode(node);
  }
}

// The pool's nodes go back to the pool while it still exists.
CClientPoolList::~CClientPoolList() { Clear(); }

CLIENTNODE* CClientPoolList::AllocNode(const CLIENTNODE& client) {
  for (auto& slot : m_pool) {
    if (slot.inUse) continue;
    slot.inUse = 1;
    slot.node = client;
    slot.node.next = nullptr;
    return &slot.node;
  }
  return nullptr;
}

void CClientPoolList::FreeNode(CLIENTNODE* node) {
  for (auto& slot : m_pool)
    if (&slot.node == node) slot.inUse = 0;
}

}  // namespace qv10dal
