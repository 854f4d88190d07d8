#pragma once

#include <QTest>

#include <array>

// Declares the columns of the current data table, one type per name.
template<class... Types> void Columns(const std::array<const char*, sizeof...(Types)>& names)
{
    std::size_t i = 0;
    (QTest::addColumn<Types>(names[i++]), ...);
}

// Adds one row to the current data table: its name, then one value per
// column in column order (each of the column's exact type; a string literal
// serves a QString column). Written as one call, a row stays on one line.
template<class... Values> void Row(const char* name, const Values&... values)
{
    (QTest::newRow(name) << ... << values);
}
