#pragma once
// An intrusive doubly linked list of heap nodes (each with `next` and `previous`), in
// the order they were appended. The owner locks it.
#include "HeapBlock.h"

template <typename Node>
class LinkedList {
public:
    Node* Head() const { return head_; }
    void Append(Node* node) {
        node->next = nullptr;
        node->previous = tail_;
        (tail_ ? tail_->next : head_) = node;
        tail_ = node;
    }
    void Unlink(Node* node) {
        (node->previous ? node->previous->next : head_) = node->next;
        (node->next ? node->next->previous : tail_) = node->previous;
    }
    // Unlinks every node and hands it to `free`.
    template <typename Free>
    void Clear(Free free) {
        while (Node* node = head_) {
            Unlink(node);
            free(node);
        }
    }

private:
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};
