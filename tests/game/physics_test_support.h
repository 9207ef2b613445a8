// Shared by the physics, controller and rules tests: models built in code (a sphere, floor
// edges with a key), and the stand-ins for the devices and the sound player.
#pragma once

#include <vector>

#include "game/match.h"
#include "tests/support/fake_devices.h"

// A model without a mesh at `position` (origin there too), radius 10, mass 1.
CTarvelModel Bare_Sphere(Vector position, Vector velocity);

// A floor edge from a to b (z as given) with the triangle's key; the third corner stands
// 50 above a, so only the edge (corner 0, corner 1) can collide.
struct Test_Edge {
    Vector a, b;
    int key = 1;
};
CTarvelModel Edge_Model(const std::vector<Test_Edge>& edges);

// Appends a flat triangle (all three edges on the floor) with corners a, b, c and `key`.
void Add_Flat_Triangle(CTarvelModel& model, Vector a, Vector b, Vector c, int key);

// Heading of a velocity, degrees 0..360.
float Heading_Of(Vector velocity);
// Smallest difference between two headings in degrees.
float Heading_Gap(float a, float b);
