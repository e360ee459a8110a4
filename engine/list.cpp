// The cursor list behind Path: nodes, appending, insertion after the cursor, removal with the
// cursor moving on, and the walks.
#include "engine/list.h"

#include <new>

ListaKoskaEngineEiToiminSolmu::ListaKoskaEngineEiToiminSolmu()
    : next(nullptr), prev(nullptr), data(nullptr) {}

ListaKoskaEngineEiToiminSolmu::ListaKoskaEngineEiToiminSolmu(void* data)
    : next(nullptr), prev(nullptr), data(data) {}

void ListaKoskaEngineEiToiminSolmu::set(void* d) {
    data = d;
}

void ListaKoskaEngineEiToiminSolmu::print() {}

ListaKoskaEngineEiToimi::ListaKoskaEngineEiToimi()
    : count(0), first(nullptr), current(nullptr), last(nullptr) {}

// Data is raw storage to the list: it never knew the type, so no destructor can run.
static void release(ListaKoskaEngineEiToiminSolmu* node) {
    ::operator delete(node->data);
    delete node;
}

int ListaKoskaEngineEiToimi::add(void* data) {
    ListaKoskaEngineEiToiminSolmu* node = new ListaKoskaEngineEiToiminSolmu(data);
    if (last == nullptr) {
        first = last = node;
    } else {
        node->prev = last;
        last->next = node;
        last = node;
    }
    count++;
    return 1;
}

int ListaKoskaEngineEiToimi::insert(void* data) {
    if (current == nullptr)
        return 0;
    if (current == last)
        return add(data);
    ListaKoskaEngineEiToiminSolmu* node = new ListaKoskaEngineEiToiminSolmu(data);
    node->next = current->next;
    current->next->prev = node;
    node->prev = current;
    current->next = node;
    count++;
    return 1;
}

int ListaKoskaEngineEiToimi::remove() {
    if (first == nullptr)
        return 0;
    ListaKoskaEngineEiToiminSolmu* node = current;
    if (first == last) {
        node = first;
        first = current = last = nullptr;
    } else if (current == last) {
        return removeLast();
    } else if (current == first) {
        first = node->next;
        first->prev = nullptr;
        current = first;
    } else {
        node->prev->next = node->next;
        node->next->prev = node->prev;
        current = node->next;
    }
    release(node);
    count--;
    return 1;
}

int ListaKoskaEngineEiToimi::removeLast() {
    if (last == nullptr)
        return 0;
    ListaKoskaEngineEiToiminSolmu* node = last;
    if (first == last) {
        first = current = last = nullptr;
    } else {
        last = node->prev;
        last->next = nullptr;
        if (current == node)
            current = last;
    }
    release(node);
    count--;
    return 1;
}

void ListaKoskaEngineEiToimi::destroy() {
    int n = count;
    for (int k = 0; k < n; k++)
        removeLast();
}

int ListaKoskaEngineEiToimi::goToStart() {
    current = first;
    return current != nullptr;
}

int ListaKoskaEngineEiToimi::goToEnd() {
    current = last;
    return current != nullptr;
}

int ListaKoskaEngineEiToimi::goForward() {
    if (current == last || current->next == nullptr)
        return 0;
    current = current->next;
    return 1;
}

int ListaKoskaEngineEiToimi::goBackwards() {
    if (current->prev == nullptr)
        return 0;
    current = current->prev;
    return 1;
}

int ListaKoskaEngineEiToimi::goToNode(int n) {
    goToStart();
    if (n < 1)
        return 0;
    int result = 0;
    for (int k = 0; k < n; k++)
        result = goForward();
    return result;
}

int ListaKoskaEngineEiToimi::getCurrentNodeNumber() {
    int n = 0;
    for (ListaKoskaEngineEiToiminSolmu* node = first; node != nullptr && node != current;
         node = node->next)
        n++;
    return n;
}

void* ListaKoskaEngineEiToimi::getFirst() {
    return first->data;
}

void* ListaKoskaEngineEiToimi::getLast() {
    return last->data;
}

void* ListaKoskaEngineEiToimi::getCurrent() {
    return current->data;
}

void ListaKoskaEngineEiToimi::setCurrent(void* data) {
    ::operator delete(current->data);
    current->data = data;
}

int ListaKoskaEngineEiToimi::getNodeCount() {
    return count;
}

bool ListaKoskaEngineEiToimi::isAtEnd() {
    return current == last;
}

bool ListaKoskaEngineEiToimi::isAtStart() {
    return current == first;
}

void ListaKoskaEngineEiToimi::print() {
    for (ListaKoskaEngineEiToiminSolmu* node = first; node != nullptr; node = node->next)
        node->print();
}
