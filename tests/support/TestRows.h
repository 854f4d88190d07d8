#pragma once

#include <QTest>

// Adds one row to the current data table: its name, then one value per
// column in column order (each of the column's exact type; a string literal
// serves a QString column). Written as one call, a row stays on one line
// where a chain of << between string literals takes a line per value.
template<class... Values> void Row(const char* name, const Values&... values)
{
    (QTest::newRow(name) << ... << values);
}
