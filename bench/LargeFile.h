#pragma once

#include <QtGlobal>

// Fills an open data file with `total` records in one transaction: random
// first fields, 97 repeating second fields, every hundredth record not
// omitted and the others omitted. False when the store refused.
bool FillLargeFile(int handle, qint64 total);
