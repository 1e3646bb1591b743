#pragma once

// A test table's columns declared in one line, and a row's values read in one, so that every
// table is written the same way:
//     addColumns<QString, bool>({"text", "accepted"});
//     const auto [text, accepted] = fetchColumns<QString, bool>({"text", "accepted"});
// Qt Test only, for the core tests too.

#include <QTest>

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tintel::test {

template <typename... Types, std::size_t N>
void addColumns(const char* const (&names)[N])
{
    static_assert(sizeof...(Types) == N, "one name for each column type");
    std::size_t i = 0;
    // A fold over the comma operator runs left to right: the columns keep their order.
    (QTest::addColumn<Types>(names[i++]), ...);
}

// The current row's values of the named columns, as QFETCH reads them, in the order given.
template <typename... Types, std::size_t N>
std::tuple<Types...> fetchColumns(const char* const (&names)[N])
{
    static_assert(sizeof...(Types) == N, "one name for each column type");
    return [&names]<std::size_t... I>(std::index_sequence<I...>)
    {
        return std::tuple<Types...>{*static_cast<Types*>(
            QTest::qData(names[I], qMetaTypeId<std::remove_cv_t<Types>>()))...};
    }
    (std::index_sequence_for<Types...>{});
}

} // namespace tintel::test
