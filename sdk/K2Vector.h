// The host's growable array. Elements are held by value and copied with their copy
// constructor. Not synchronised: any thread, but one thread at a time per vector.
#pragma once

#include <vector>

template <class T>
using K2Vector = std::vector<T>;
