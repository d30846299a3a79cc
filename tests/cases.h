#pragma once

#include <QTest>

#include <tuple>

// A data-driven case is one column holding a tuple: the _data function names the types once and lists
// the rows, the test function binds the values by name.
template <typename... Values> void columns() {
    QTest::addColumn<std::tuple<Values...>>("case");
}

template <typename... Values> void row(const char *name, const Values &...values) {
    QTest::newRow(name) << std::tuple<Values...>(values...);
}

template <typename... Values> std::tuple<Values...> fetch() {
    using Case = std::tuple<Values...>;
    return *static_cast<Case *>(QTest::qData("case", qMetaTypeId<Case>()));
}
