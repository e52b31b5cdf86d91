// SPDX-License-Identifier: MIT
// A language resource module for the package's tests: it holds nothing but
// its resource table (the About box's layout with a German caption), which
// the build adds beside this file.
