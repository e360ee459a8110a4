// A doubly linked list of untyped pointers with a built-in cursor; Path keeps its points in it.
// The list owns what its nodes point to and releases it as raw storage when a node goes.
#ifndef ORDUNE_ENGINE_LIST_H
#define ORDUNE_ENGINE_LIST_H

// One node. Its constructors leave next and prev to the list; its destructor frees nothing.
class ListaKoskaEngineEiToiminSolmu {
  public:
    ListaKoskaEngineEiToiminSolmu* next; // null at the end
    ListaKoskaEngineEiToiminSolmu* prev; // null at the start
    void* data;                          // owned by the list

    ListaKoskaEngineEiToiminSolmu();
    ListaKoskaEngineEiToiminSolmu(void* data);
    ~ListaKoskaEngineEiToiminSolmu() {}

    // Stores data without freeing the old pointer.
    void set(void* data);
    void print();
};

// Ownership: every data pointer handed to add, insert or setCurrent must come from `new` of a
// type without a destructor (a Vector, a plain struct) or from ::operator new; the list frees
// it with ::operator delete when its node is removed. The destructor frees nothing: owners call
// destroy() first. Results are 1 for success and 0 for failure unless stated.
//
// The cursor `current` is null after construction and after emptying, and adding nodes does
// not move it. Calls that read through it (goForward, goBackwards, getCurrent, setCurrent,
// insert before the end, remove with several nodes) need it set by goToStart, goToEnd or
// goToNode; getFirst and getLast need a non-empty list.
class ListaKoskaEngineEiToimi {
  public:
    int count;
    ListaKoskaEngineEiToiminSolmu* first;
    ListaKoskaEngineEiToiminSolmu* current;
    ListaKoskaEngineEiToiminSolmu* last;

    ListaKoskaEngineEiToimi();
    ~ListaKoskaEngineEiToimi() {}

    // Appends after last; always 1.
    int add(void* data);
    // After the cursor node; 0 (nothing done) when there is no cursor.
    int insert(void* data);
    // Removes the cursor node, which moves on to the following node (to the new last when the
    // last one goes); 0 on an empty list.
    int remove();
    // Removes the last node; a cursor on it moves to the new last. 0 on an empty list.
    int removeLast();
    // Removes every node, releasing their data; the list is empty afterwards.
    void destroy();

    int goToStart();
    int goToEnd();
    // 0 at the last node, the cursor staying there.
    int goForward();
    // 0 at the first node, the cursor staying there.
    int goBackwards();
    // Nodes count from 0. Starts at first and steps forward n times; returns the last step's
    // result, so 0 for n below 1 and for n past the end (the cursor stops on last).
    int goToNode(int n);
    // The number of steps from first to the cursor.
    int getCurrentNodeNumber();

    void* getFirst();
    void* getLast();
    void* getCurrent();
    // Frees the cursor node's old data and stores data in its place.
    void setCurrent(void* data);
    int getNodeCount();
    bool isAtEnd();
    bool isAtStart();
    void print();
};

#endif
