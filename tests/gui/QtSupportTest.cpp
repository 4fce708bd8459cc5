// The small Qt helpers of the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

#include "gui/ClickableImage.h"
#include "gui/GermanTranslation.h"
#include "gui/LocalDateTime.h"
#include "gui/QtDialogs.h"

namespace morvatex {
namespace {

TEST(GermanQtTranslation, GivesQtsStandardButtonsTheirGermanCaptions) {
  QTranslator* translator = InstallGermanQtTranslation(*qApp);
  ASSERT_NE(translator, nullptr) << "qtbase_de is missing (Debian package qt6-translations-l10n)";
  QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                  QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
  EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

TEST(LocalDateTimeText, IsTheShortDateWithFourDigitYearAndTheLongTime) {
  const QDateTime evening(QDate(2026, 12, 6), QTime(19, 9, 17));
  EXPECT_EQ(LocalDateTimeText(evening, QLocale(QLocale::German, QLocale::Germany)), "06.12.2026 19:09:17");
  EXPECT_EQ(LocalDateTimeText(evening, QLocale(QLocale::English, QLocale::UnitedStates)), "12/6/2026 7:09:17 PM");
  EXPECT_EQ(LocalDateTimeText(evening, QLocale(QLocale::English, QLocale::UnitedKingdom)), "06/12/2026 19:09:17");
}

TEST(LocalDateTimeText, LeavesOutTheTimeAtExactlyMidnight) {
  const QLocale german(QLocale::German, QLocale::Germany);
  EXPECT_EQ(LocalDateTimeText(QDateTime(QDate(2026, 1, 2), QTime(0, 0)), german), "02.01.2026");
  EXPECT_EQ(LocalDateTimeText(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1)), german), "02.01.2026 00:00:01");
}

TEST(LocalDateTimeText, FallsBackToAPlainFormWhereTheCodePageCannotShowTheLocalOne) {
  const QDateTime evening(QDate(2026, 12, 6), QTime(19, 9, 17));
  EXPECT_EQ(LocalDateTimeText(evening, QLocale(QLocale::Japanese, QLocale::Japan)), "06.12.2026 19:09:17");
}

TEST(QtNameFilters, KeepsTheDescriptionsAndMakesStarDotStarMatchEveryFile) {
  EXPECT_EQ(
      QtNameFilters(QStringLiteral("NCP-Dateien (*.ncp)|*.ncp|Alle Dateiformate (*.*)|*.*")),
      (QStringList{QStringLiteral("NCP-Dateien (*.ncp) (*.ncp)"), QStringLiteral("Alle Dateiformate (*.*) (*)")}));
  EXPECT_EQ(QtNameFilters(QStringLiteral("MVX-Dateien (*.mvx) |*.mvx")),
            (QStringList{QStringLiteral("MVX-Dateien (*.mvx) (*.mvx)")}));
  EXPECT_EQ(QtNameFilters(QStringLiteral("Texte|*.txt;*.log")), (QStringList{QStringLiteral("Texte (*.txt *.log)")}));
}

TEST(ClickableImage, ClicksOnlyWhenTheLeftButtonIsPressedAndReleasedOverIt) {
  ClickableImage image(QStringLiteral("Add"), QSize(46, 25), {Qt::red, Qt::green, Qt::yellow, Qt::red});
  QSignalSpy clicks(&image, &ClickableImage::clicked);
  QTest::mouseClick(&image, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
  QTest::mouseClick(&image, Qt::RightButton);
  QTest::mousePress(&image, Qt::LeftButton);
  QTest::mouseRelease(&image, Qt::LeftButton, {}, QPoint(60, 30));  // released beside it
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(image.size(), QSize(46, 25));
}

}  // namespace
}  // namespace morvatex
