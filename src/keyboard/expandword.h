#pragma once

// The one line splitter of the data files: a line is cut at every "," into fields, with no quoting, no
// escape and no trimming.

#include "common/values.h"

#include <QStringView>

// The longest line that can be split, and the most commas it may hold (32 fields).
inline constexpr qsizetype MaxSplitLength = 32765;
inline constexpr int MaxCommas = MaxFields - 2;

// Splits str into champs: a line of k fields fills champs[0] to champs[k - 1] and empties champs[k]; the
// elements above keep what earlier calls left in them. A line with more than MaxCommas commas or more than
// MaxSplitLength characters does not fit: the function then returns false and leaves champs unchanged.
bool ExpandWord(QStringView str, FieldTable &champs);
