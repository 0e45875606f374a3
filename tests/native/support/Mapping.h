// Table tests of a function of one argument: each input with what it must give back.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace tavrel::test {

// Every case of the table through f; a failure names the input.
template <class In, class Out, class F>
void ExpectMapping(F f, std::initializer_list<std::pair<In, Out>> cases) {
    for (const auto& [in, out] : cases) EXPECT_EQ(f(in), out) << "for " << ::testing::PrintToString(in);
}

}  // namespace tavrel::test
