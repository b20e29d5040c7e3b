#include "ui/settings_view.h"

#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/application.h"
#include "ui/expert_page.h"
#include "ui/simple_page.h"

namespace zq48 {

SettingsView::SettingsView(Application& app, Notifier& notifier, QWidget* parent)
    : QWidget(parent) {
  setObjectName("settingsView");
  tabs_ = new QTabWidget(this);
  tabs_->setFont(QFont("Arial"));
  simple_ = new SimplePage(app.Catalog(), app.Store(), notifier);
  expert_ = new ExpertPage(app.Catalog(), notifier);
  tabs_->addTab(simple_, "Simple");
  tabs_->addTab(expert_, "Expert");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);
  setFocusProxy(simple_);

  // New ladders may have replaced the variants the Expert page lists.
  connect(simple_, &SimplePage::laddersChanged, expert_, &ExpertPage::Refresh);

  // Shift+Tab arrives as Backtab.
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
  next->setContext(Qt::WidgetWithChildrenShortcut);
  connect(next, &QShortcut::activated, this, [this] { StepTab(1); });
  for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                            QKeySequence(Qt::CTRL | Qt::Key_Backtab)}) {
    auto* previous = new QShortcut(keys, this);
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, [this] { StepTab(-1); });
  }
}

void SettingsView::StepTab(int by) {
  const int count = tabs_->count();
  tabs_->setCurrentIndex((tabs_->currentIndex() + by + count) % count);
}

std::string SettingsView::DestinationText() const { return simple_->DestinationText(); }

void SettingsView::SetDestinationText(const std::string& folder) {
  simple_->SetDestinationText(folder);
}

void SettingsView::ShowSettings() { simple_->ShowSettings(); }

void SettingsView::SelectFile(const QString& path) { expert_->SelectFile(path); }

void SettingsView::Refresh() { expert_->Refresh(); }

}  // namespace zq48
