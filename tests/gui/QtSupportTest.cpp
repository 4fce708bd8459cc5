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
  QSignalSpy clicks(&image, &ClickableImage::Clicked);
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
