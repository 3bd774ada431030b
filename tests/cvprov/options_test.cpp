// The option table against the record's own defaults.
#include "cvprov/options.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionTable, DefaultsAreThoseOfAFreshRecord) {
    cvn::MountEntry record;
    cvprov::FreshRecord(record);
    for (const cvprov::OptionRow& row : cvprov::OptionTable()) {
        if (row.kind == cvprov::OptionKind::Flag || row.kind == cvprov::OptionKind::Number) {
            EXPECT_EQ(cvprov::GetNumber(record, row), row.default_value) << row.name;
        } else {
            EXPECT_EQ(record.Text({row.offset, row.capacity}), u"") << row.name;
        }
    }
}

}  // namespace
