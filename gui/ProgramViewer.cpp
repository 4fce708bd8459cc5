#include "gui/ProgramViewer.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QSplitter>
#include <QVBoxLayout>

#include "engine/NumberText.h"
#include "gui/LineTextModel.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

constexpr int kNotesHeight = 110;
constexpr int kRowsPerBatch = 100000;
// The kinds of entries of the list, in their UserRole + 2.
constexpr int kNotCarriedEntry = 1;
constexpr int kDivergenceEntry = 2;

QString Millimetres(double value) { return ToQString(FixedPointText(value, 3)) + QStringLiteral(" mm"); }

}  // namespace

ProgramViewer::ProgramViewer(FileSystem& fs, QWidget* parent) : QWidget(parent), fs_(fs) {
  setObjectName(QStringLiteral("programViewer"));
  iselModel_ = new LineTextModel(fs_, this);
  cncModel_ = new LineTextModel(fs_, this);
  iselCaption_ = new QLabel(QStringLiteral("Isel-Programm"), this);
  cncCaption_ = new QLabel(QStringLiteral("CNC-Programm"), this);
  iselView_ = CreateTextView(iselModel_, QStringLiteral("iselText"));
  cncView_ = CreateTextView(cncModel_, QStringLiteral("cncText"));
  iselCaption_->setBuddy(iselView_);
  cncCaption_->setBuddy(cncView_);
  notes_ = new QListWidget(this);
  notes_->setObjectName(QStringLiteral("programNotes"));
  notes_->setMaximumHeight(kNotesHeight);
  notes_->setToolTip(QStringLiteral("Nicht umgesetzte Zeilen und Abweichungen der Prüfung; ein Klick zeigt die Zeile"));
  noteText_ = new QLabel(this);
  noteText_->setObjectName(QStringLiteral("noteText"));
  noteText_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  noteText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  noteText_->setWordWrap(true);
  noteText_->setVisible(false);
  readout_ = new QLabel(this);
  readout_->setObjectName(QStringLiteral("positionReadout"));
  readout_->setToolTip(QStringLiteral("Position unter der Maus"));

  auto* texts = new QSplitter(Qt::Vertical, this);
  texts->setChildrenCollapsible(false);
  for (auto [caption, view] : {std::pair{iselCaption_, iselView_}, std::pair{cncCaption_, cncView_}}) {
    auto* pane = new QWidget(texts);
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->addWidget(caption);
    paneLayout->addWidget(view, 1);
    texts->addWidget(pane);
  }
  cncView_->parentWidget()->setVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(texts, 1);
  layout->addWidget(notes_);
  layout->addWidget(noteText_);
  layout->addWidget(readout_);
  notes_->setVisible(false);
  connect(notes_, &QListWidget::itemClicked, this, &ProgramViewer::NotePicked);
  connect(iselView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { emit IselLinePicked(CurrentLine(iselView_)); });
  connect(cncView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { emit CncLinePicked(CurrentLine(cncView_)); });
}

QListView* ProgramViewer::CreateTextView(LineTextModel* model, const QString& name) {
  auto* view = new QListView(this);
  view->setObjectName(name);
  // Uniform rows: the view never asks for the size of each of millions;
  // laid out in batches, so that it shows the first lines at once (one
  // pass over 3,000,000 rows holds the window for seconds).
  view->setUniformItemSizes(true);
  view->setLayoutMode(QListView::Batched);
  view->setBatchSize(kRowsPerBatch);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setModel(model);
  return view;
}

void ProgramViewer::SetIselText(const std::string& path, std::shared_ptr<const LineIndex> index) {
  iselCaption_->setText(index ? QStringLiteral("Isel-Programm (%1 Zeilen)").arg(index->size())
                              : QStringLiteral("Isel-Programm: nicht lesbar"));
  iselModel_->SetFile(path, std::move(index));
}

void ProgramViewer::SetCncText(const std::string& path, std::shared_ptr<const LineIndex> index) {
  cncCaption_->setText(index ? QStringLiteral("CNC-Programm (%1 Zeilen)").arg(index->size())
                             : QStringLiteral("CNC-Programm: nicht vorhanden oder nicht lesbar"));
  cncModel_->SetFile(path, std::move(index));
  cncView_->parentWidget()->setVisible(true);
}

void ProgramViewer::SetNotCarried(const ToolPath& path) {
  for (const NotCarriedLine& line : path.notCarried) {
    auto* item = new QListWidgetItem(
        QStringLiteral("Nicht umgesetzt: Isel-Zeile %1: %2").arg(line.line).arg(ToQString(line.reason)), notes_);
    item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(line.line));
    item->setData(Qt::UserRole + 2, kNotCarriedEntry);
  }
  notes_->setVisible(notes_->count() > 0);
}

void ProgramViewer::SetDivergences(const std::vector<Divergence>& divergences) {
  for (int i = notes_->count() - 1; i >= 0; --i)
    if (notes_->item(i)->data(Qt::UserRole + 2).toInt() == kDivergenceEntry) delete notes_->takeItem(i);
  for (const Divergence& d : divergences) {
    QStringList where;
    if (d.cncLine > 0) where << QStringLiteral("CNC-Zeile %1").arg(d.cncLine);
    if (d.iselLine > 0) where << QStringLiteral("Isel-Zeile %1").arg(d.iselLine);
    auto* item = new QListWidgetItem(
        QStringLiteral("Abweichung: ") + where.join(QStringLiteral(", ")) + ": " + ToQString(d.what), notes_);
    item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(d.iselLine));
    item->setData(Qt::UserRole + 1, QVariant::fromValue<qulonglong>(d.cncLine));
    item->setData(Qt::UserRole + 2, kDivergenceEntry);
  }
  notes_->setVisible(notes_->count() > 0);
}

void ProgramViewer::NotePicked(QListWidgetItem* item) {
  const auto iselLine = static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong());
  const auto cncLine = static_cast<std::size_t>(item->data(Qt::UserRole + 1).toULongLong());
  QStringList texts;
  if (iselLine > 0) {
    SelectIselLine(iselLine);
    texts << QStringLiteral("Isel %1: ").arg(iselLine) + iselModel_->LineText(static_cast<int>(iselLine) - 1);
  }
  if (cncLine > 0) {
    SelectCncLine(cncLine);
    texts << QStringLiteral("CNC %1: ").arg(cncLine) + cncModel_->LineText(static_cast<int>(cncLine) - 1);
  }
  noteText_->setText(texts.join(QLatin1Char('\n')));
  noteText_->setVisible(!texts.isEmpty());
}

std::size_t ProgramViewer::CurrentLine(const QListView* view) {
  const QModelIndex current = view->currentIndex();
  return current.isValid() ? static_cast<std::size_t>(current.row()) + 1 : 0;
}

void ProgramViewer::SelectLine(QListView* view, std::size_t line) {
  const QModelIndex index = line > 0 && line <= static_cast<std::size_t>(view->model()->rowCount())
                                ? view->model()->index(static_cast<int>(line - 1), 0)
                                : QModelIndex();
  if (!index.isValid()) {
    view->selectionModel()->clear();
    return;
  }
  view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void ProgramViewer::SelectIselLine(std::size_t line) { SelectLine(iselView_, line); }
void ProgramViewer::SelectCncLine(std::size_t line) { SelectLine(cncView_, line); }
std::size_t ProgramViewer::IselLine() const { return CurrentLine(iselView_); }
std::size_t ProgramViewer::CncLine() const { return CurrentLine(cncView_); }

void ProgramViewer::ShowPosition(QPointF mm) {
  readout_->setText(QStringLiteral("X: ") + Millimetres(mm.x()) + QStringLiteral("   Y: ") + Millimetres(mm.y()));
}

void ProgramViewer::ClearPosition() { readout_->clear(); }

}  // namespace morvatex
