// Points and rectangles in widget coordinates (PMReal, compared exactly) and the screen
// position of an event (SysPoint, whole pixels). A point's X is a width and its Y a height
// when it stands for a size. Plain values; safe on any thread.
#pragma once

#include "PMTypes.h"

class PMPoint {
public:
    constexpr PMPoint() = default;
    constexpr PMPoint(PMReal x, PMReal y) : fX(x), fY(y) {}
    constexpr PMReal X() const { return fX; }
    constexpr PMReal Y() const { return fY; }
    void X(PMReal x) { fX = x; }
    void Y(PMReal y) { fY = y; }
    constexpr bool operator==(const PMPoint&) const = default;

private:
    PMReal fX = 0;
    PMReal fY = 0;
};

class PMRect {
public:
    constexpr PMRect() = default;
    constexpr PMRect(PMReal left, PMReal top, PMReal right, PMReal bottom)
        : fLeft(left), fTop(top), fRight(right), fBottom(bottom) {}
    constexpr PMReal Left() const { return fLeft; }
    constexpr PMReal Top() const { return fTop; }
    constexpr PMReal Right() const { return fRight; }
    constexpr PMReal Bottom() const { return fBottom; }
    void Left(PMReal v) { fLeft = v; }
    void Top(PMReal v) { fTop = v; }
    void Right(PMReal v) { fRight = v; }
    void Bottom(PMReal v) { fBottom = v; }
    constexpr PMReal Width() const { return fRight - fLeft; }
    constexpr PMReal Height() const { return fBottom - fTop; }
    constexpr bool operator==(const PMRect&) const = default;

private:
    PMReal fLeft = 0;
    PMReal fTop = 0;
    PMReal fRight = 0;
    PMReal fBottom = 0;
};

struct SysPoint {
    int32 h = 0;
    int32 v = 0;
    constexpr bool operator==(const SysPoint&) const = default;
};
