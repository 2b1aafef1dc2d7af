// CPtrList: nodes, blocks and the list operations.
#include "platform/ptr_list.h"

#include <new>

namespace kfio {

struct CPtrList::Node {
  Node* next;
  Node* prev;
  void* value;
};

// A block header followed by its nodes, in one allocation.
struct CPtrList::Block {
  Block* next;
  Node* Nodes() { return reinterpret_cast<Node*>(this + 1); }
};

static_assert(alignof(CPtrList::Node) <= alignof(void*));

CPtrList::CPtrList(int blockSize) : m_blockSize(blockSize < 1 ? 1 : blockSize) {}

CPtrList::~CPtrList() { RemoveAll(); }

CPtrList::Node* CPtrList::NewNode(Node* prev, Node* next, void* value) {
  if (m_free == nullptr) {
    void* raw = ::operator new(sizeof(Block) + sizeof(Node) * static_cast<std::size_t>(m_blockSize));
    auto* block = new (raw) Block{m_blocks};
    m_blocks = block;
    // Thread the new nodes onto the free list, last first, so they are
    // handed out in address order.
    Node* nodes = block->Nodes();
    for (int i = m_blockSize - 1; i >= 0; --i) {
      Node* n = new (&nodes[i]) Node{m_free, nullptr, nullptr};
      m_free = n;
    }
  }
  Node* node = m_free;
  m_free = node->next;
  node->prev = prev;
  node->next = next;
  node->value = value;
  ++m_count;
  return node;
}

void CPtrList::FreeNode(Node* node) {
  node->next = m_free;
  node->prev = nullptr;
  node->value = nullptr;
  m_free = node;
  // An empty list gives its memory back.
  if (--m_count == 0) RemoveAll();
}

CPtrList::POSITION CPtrList::AddHead(void* value) {
  Node* node = NewNode(nullptr, m_head, value);
  if (m_head != nullptr)
    m_head->prev = node;
  else
    m_tail = node;
  m_head = node;
  return node;
}

CPtrList::POSITION CPtrList::AddTail(void* value) {
  Node* node = NewNode(m_tail, nullptr, value);
  if (m_tail != nullptr)
    m_tail->next = node;
  else
    m_head = node;
  m_tail = node;
  return node;
}

void* CPtrList::RemoveHead() {
  if (m_head == nullptr) return nullptr;
  void* value = m_head->value;
  RemoveAt(m_head);
  return value;
}

void* CPtrList::RemoveTail() {
  if (m_tail == nullptr) return nullptr;
  void* value = m_tail->value;
  RemoveAt(m_tail);
  return value;
}

void CPtrList::RemoveAt(POSITION pos) {
  if (pos == nullptr) return;
  if (pos->prev != nullptr)
    pos->prev->next = pos->next;
  else
    m_head = pos->next;
  if (pos->next != nullptr)
    pos->next->prev = pos->prev;
  else
    m_tail = pos->prev;
  FreeNode(pos);
}

void CPtrList::RemoveAll() {
  while (m_blocks != nullptr) {
    Block* next = m_blocks->next;
    m_blocks->~Block();
    ::operator delete(m_blocks);
    m_blocks = next;
  }
  m_head = m_tail = m_free = nullptr;
  m_count = 0;
}

CPtrList::POSITION CPtrList::GetHeadPosition() const { return m_head; }
CPtrList::POSITION CPtrList::GetTailPosition() const { return m_tail; }

void*& CPtrList::GetNext(POSITION& pos) {
  Node* node = pos;
  pos = node->next;
  return node->value;
}

void*& CPtrList::GetPrev(POSITION& pos) {
  Node* node = pos;
  pos = node->prev;
  return node->value;
}

void*& CPtrList::GetAt(POSITION pos) { return pos->value; }

void* CPtrList::GetNext(POSITION& pos) const {
  Node* node = pos;
  pos = node->next;
  return node->value;
}

void* CPtrList::GetAt(POSITION pos) const { return pos->value; }

CPtrList::POSITION CPtrList::Find(void* value, POSITION startAfter) const {
  for (Node* n = startAfter != nullptr ? startAfter->next : m_head; n != nullptr; n = n->next)
    if (n->value == value) return n;
  return nullptr;
}

}  // namespace kfio
