// shapes.h: a small class under test for the instrumentor: in-class and out-of-line
// methods, overloads, a static and a private method, in a namespace.
#pragma once

namespace geo {

class Shape {
public:
    explicit Shape(int initial) : size(initial) {}
    ~Shape() {}
    int area() const { return size * size; }
    void scale(int factor);
    void scale(double factor);
    static Shape unit() { return Shape(1); }
    int size;

private:
    void shrink() { size = size / 2; }
};

template <typename T>
class Box {
public:
    void put(T value) { item = value; }
    T item{};
};

}  // namespace geo
