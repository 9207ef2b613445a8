// The score painted on the wall behind each goal, as digit cells cut from the 8 x 8 grid
// of the digit image ("font_old.png"). Each number is painted on both faces of the wall,
// so that it reads left to right from inside the arena and from outside alike.
#pragma once

// The longest number: a 32-bit integer with its sign.
constexpr int Wall_Number_Max_Digits = 11;

// One digit's quad in arena coordinates, corners anticlockwise from the lower corner at
// the cell's left edge, each with its texture coordinate.
struct Wall_Digit_Quad {
    float corners[4][3];
    float texcoords[4][2];
};

// The upper-left texture corner (s, t) of the cell of `digit`; each cell is 0.125 square
// and reaches down to t - 0.125. Characters other than digits (a minus) get the blank cell.
void Wall_Digit_Cell(char digit, float* s, float* t);

// Lays out `score` (truncated to an integer) for `side` (0 Top, 1 Bottom, 2 Left, 3 Right)
// on the inner face of its goal's back wall (`inner`) or on the outer face. Returns the
// number of digits; 0 for a side out of range.
int Wall_Number_Layout(int side, float score, bool inner,
                       Wall_Digit_Quad (&quads)[Wall_Number_Max_Digits]);
