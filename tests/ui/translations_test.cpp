// The user's languages choose the catalogue; the one found beside the program is used for the
// window's texts, and English shows as written.

#include "ui/labels.h"
#include "ui/translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <gtest/gtest.h>

namespace vontal {
namespace {

const QStringList kShipped{"de", "fr", "es", "it", "pt_BR", "ja", "zh_CN"};

TEST(ChooseCatalogue, TheFirstPreferredLanguageWithACatalogueWinsAndEnglishEndsTheSearch) {
    EXPECT_EQ(chooseCatalogue({"de-DE"}, kShipped), "de");
    EXPECT_EQ(chooseCatalogue({"de-AT", "fr-FR"}, kShipped), "de");
    EXPECT_EQ(chooseCatalogue({"sv-SE", "nb-NO", "ja-JP"}, kShipped), "ja");
    // English is the language the texts are written in: a catalogue after it is not wanted.
    EXPECT_EQ(chooseCatalogue({"en-GB", "de-DE"}, kShipped), "");
    EXPECT_EQ(chooseCatalogue({"sv-SE"}, kShipped), "");
    EXPECT_EQ(chooseCatalogue({}, kShipped), "");
    // "C" says nothing about a language.
    EXPECT_EQ(chooseCatalogue({"C", "it"}, kShipped), "it");
    EXPECT_EQ(chooseCatalogue({"C"}, kShipped), "");
    // Brazil's Portuguese serves Portugal too, in the absence of its own.
    EXPECT_EQ(chooseCatalogue({"pt-BR"}, kShipped), "pt_BR");
    EXPECT_EQ(chooseCatalogue({"pt-PT"}, kShipped), "pt_BR");
    EXPECT_EQ(chooseCatalogue({"pt-PT"}, {"pt_BR", "pt_PT"}), "pt_PT");
    // Simplified Chinese for Simplified readers only.
    EXPECT_EQ(chooseCatalogue({"zh-Hans-CN"}, kShipped), "zh_CN");
    EXPECT_EQ(chooseCatalogue({"zh-CN"}, kShipped), "zh_CN");
    EXPECT_EQ(chooseCatalogue({"zh-SG"}, kShipped), "zh_CN");
    EXPECT_EQ(chooseCatalogue({"zh-Hant-TW", "zh-TW"}, kShipped), "");
}

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

TEST_F(TranslationsTest, TheLocalesCatalogueBesideTheProgramIsInstalled) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
    ASSERT_EQ(installTranslations(*qApp), "de");
    EXPECT_EQ(labels::text(labels::kConnected), "Verbunden");
    EXPECT_EQ(labels::text(labels::kDisconnect), "Trennen");
    EXPECT_EQ(labels::text(labels::kLaunchOnLogin), "Beim Anmelden starten");
}

TEST_F(TranslationsTest, InEnglishOrAnUnshippedLanguageTheLabelsShowAsWritten) {
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::Swedish, QLocale::Sweden)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(installTranslations(*qApp), "");
        EXPECT_EQ(labels::text(labels::kConnected), "Connected");
        EXPECT_EQ(labels::text(labels::kLaunchOnLogin), "Launch on login");
    }
}

} // namespace
} // namespace vontal
