#include <gtest/gtest.h>
#include <string>

#include "probelist.hpp"

using namespace std::string_literals;

namespace {

TEST(SequenceHead, LeadingBlankLineThenADateLine) {
    const std::pair<std::string, bool> cases[] = {
        {"\nMon 3 Dec\nTitle 1\n", true},
        {"\nSun ", true}, // a date line at the end of the file
        {"\nFri \n", true},
        {"\nMon\tx\n", false}, // tab instead of the space
        {"\nmon x\n", false},  // lower case
        {"\nMON x\n", false},
        {"\n Mon x\n", false},
        {"\nMon\n", false}, // the fourth byte is the newline
        {"\nMon", false},
        {"\n", false}, // no second line
        {"", false},
        {"Mon 3 Dec\nTitle 1\n", false}, // date line at the top
        {"x\nMon x\n", false},           // first line holds text
        {" \nMon x\n", false},
        {"\r\nMon x\n", false},  // a carriage return is text
        {"\0\nMon x\n"s, false}, // so is a NUL byte
        {"\n\nMon x\n", false},
        {"\n\fMon x\n", false},
    };
    for (const auto& [head, expected] : cases)
        EXPECT_EQ(probelist::is_sequence_head(head), expected) << '"' << head << '"';
}

} // namespace
