#pragma once

#include "capture/detector/QuadGeometry.h"

// A quadrilateral whose sides have been fitted to edges, with what the fit says about it.
struct Hypothesis
{
    quad::Corners corners{};
    double support = 0;    // mean share of each side's profiles on its line
    double minSupport = 0; // the worst side's share
    double aspectError = 0;
    double score = 0;
    int roundedCorners = 0; // corners seen to follow a card's arc
    int wrongCorners = 0;   // corners seen to be sharp or much rounder
    unsigned wrongMask = 0; // bit k: corner k is one of the wrong ones
    bool loose = false;     // put together from loose lines rather than a closed outline
};
