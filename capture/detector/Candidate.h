#pragma once

#include "capture/detector/QuadGeometry.h"

// A quadrilateral proposed on the shrunk picture, before its sides are fitted to the edges.
struct Candidate
{
    quad::Corners corners{}; // clockwise on screen, continuous coordinates of the shrunk picture
    double support = 0;      // share of side samples lying on an edge, worst side weighted
    int hull = -1;           // the outline it came from, for merging pieces; -1 for none
};
