#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <string>

#include "StorageTestSupport.h"
#include "app/storage/PropertyList.h"

namespace plotwise {
namespace {

// Switches this process to German (decimal comma) in the C library and in QLocale, as a German
// user's session would once the application has started, and back afterwards.
class GermanLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::clearStorageFolders();
        savedLocale = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
            << "de_DE.UTF-8 is not available; ctest generates it (LOCPATH)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_EQ(QLocale().decimalPoint(), u",");
    }
    void TearDown() override {
        std::setlocale(LC_ALL, savedLocale.c_str());
        QLocale::setDefault(QLocale::c());
    }

    std::string savedLocale;
};

TEST_F(GermanLocaleTest, NumbersAreWrittenWithAPoint) {
    const QByteArray document =
        PropertyList::write(QVariantList{0.5, 1234.5, -2.25e-10, qlonglong(1234567)});
    EXPECT_TRUE(document.contains("<real>0.5</real>")) << document.toStdString();
    EXPECT_TRUE(document.contains("<real>1234.5</real>"));
    EXPECT_TRUE(document.contains("<real>-2.25e-10</real>"));
    EXPECT_TRUE(document.contains("<integer>1234567</integer>"));
    EXPECT_FALSE(document.contains(","));
}

TEST_F(GermanLocaleTest, NumbersAreReadWithAPoint) {
    const auto read = [](const char* body) {
        return PropertyList::read(QByteArray("<plist>") + body + "</plist>");
    };
    ASSERT_TRUE(read("<real>0.25</real>").ok());
    EXPECT_EQ(read("<real>0.25</real>").value.toDouble(), 0.25);
    EXPECT_EQ(read("<real>1e3</real>").value.toDouble(), 1000.0);
    EXPECT_EQ(read("<integer>1000</integer>").value.toLongLong(), 1000);
    EXPECT_FALSE(read("<real>0,25</real>").ok());
    EXPECT_FALSE(read("<integer>1.000</integer>").ok());
}

}  // namespace
}  // namespace plotwise
