// Included by the build into every test and benchmark source: they exercise the project's types
// and functions, and read better with their names unqualified.
#pragma once

namespace tarnwhistle {}
using namespace tarnwhistle;
