// CPtrList: a doubly linked list of untyped pointers.
#pragma once

#include "platform/cobject.h"

namespace kfio {

// The list never owns what its pointers point at. Nodes come from blocks of
// blockSize nodes and go back to a free list; RemoveAll returns the blocks.
class CPtrList : public CObject {
  KFIO_DECLARE_DYNAMIC(CPtrList, CObject)

 public:
  struct Node;
  using POSITION = Node*;  // opaque; null ends a walk

  explicit CPtrList(int blockSize = 10);
  ~CPtrList() override;
  CPtrList(const CPtrList&) = delete;
  CPtrList& operator=(const CPtrList&) = delete;

  POSITION AddHead(void* value);
  POSITION AddTail(void* value);
  // Null on an empty list.
  void* RemoveHead();
  void* RemoveTail();
  void RemoveAt(POSITION pos);
  void RemoveAll();

  POSITION GetHeadPosition() const;
  POSITION GetTailPosition() const;
  // The value at pos; pos moves to the next (previous) node, null past the end.
  void*& GetNext(POSITION& pos);
  void*& GetPrev(POSITION& pos);
  void*& GetAt(POSITION pos);
  void* GetNext(POSITION& pos) const;
  void* GetAt(POSITION pos) const;
  // The first node after startAfter (from the head when null) holding value.
  POSITION Find(void* value, POSITION startAfter = nullptr) const;

  int GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }

 private:
  struct Block;
  Node* NewNode(Node* prev, Node* next, void* value);
  void FreeNode(Node* node);

  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  Node* m_free = nullptr;
  Block* m_blocks = nullptr;
  int m_count = 0;
  int m_blockSize;
};

using POSITION = CPtrList::POSITION;

}  // namespace kfio
