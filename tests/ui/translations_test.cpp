// The translation for the user's locale is found beside the program and used for the labels.

#include "ui/labels.h"
#include "ui/translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <gtest/gtest.h>

namespace vontal {
namespace {

class TranslationsTest : public testing::Test {
protected:
    ~TranslationsTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(saved_);
    }
    QLocale saved_;
};

TEST_F(TranslationsTest, TheLocalesTranslationIsInstalledWhenShipped) {
    // A German one is built beside the test program, in translations/.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_TRUE(installTranslations(*qApp));
    EXPECT_EQ(labels::text(labels::kConnected), "Verbunden");
    EXPECT_EQ(labels::text(labels::kConnect), "Verbinden");
    // Not translated there: shown as written.
    EXPECT_EQ(labels::text(labels::kDisconnect), "Disconnect");
}

TEST_F(TranslationsTest, WithoutATranslationTheLabelsShowAsWritten) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_FALSE(installTranslations(*qApp));
    EXPECT_EQ(labels::text(labels::kConnected), "Connected");
    EXPECT_EQ(labels::text(labels::kLaunchOnLogin), "Launch on login");
}

} // namespace
} // namespace vontal
