// A photograph-like picture for the picture benchmarks: gradients, shapes and noise, so that it
// compresses and decodes like a real photograph rather than a flat test card.
#pragma once

#include <QImage>

// width x height, with shapes ellipses whose radii lie in [smallest, largest); the same every
// time for the same arguments.
QImage syntheticPhoto(int width, int height, int shapes, int smallest, int largest);
