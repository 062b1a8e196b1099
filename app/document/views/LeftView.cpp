#include "document/views/LeftView.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "description/QVTDevice.h"
#include "document/DocumentObserver.h"
#include "document/ParameterTable.h"
#include "document/QVTDoc.h"
#include "document/views/ViewSupport.h"

using ovro::views::Latin1;
using ovro::views::OpenWithDesktop;

namespace {

constexpr int kSectionRole = Qt::UserRole;

}  // namespace

CLeftView::CLeftView(ovro::CQVTDoc* doc, QWidget* parent)
    : QTreeWidget(parent), doc_(doc), openHelp_(OpenWithDesktop)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    programDirectory_ = QCoreApplication::applicationDirPath();
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
        if (!quiet_ && item != nullptr)
            emit sectionSelected(item->data(0, kSectionRole).toInt());
    });
}

void CLeftView::Fill()
{
    const bool wasQuiet = quiet_;
    quiet_ = true;
    clear();
    const ovro::CQVTDevice* device = doc_ != nullptr ? doc_->Device() : nullptr;
    shown_ = device;
    if (device != nullptr) {
        auto* root = new QTreeWidgetItem(this, QStringList(Latin1(device->name)));
        root->setData(0, kSectionRole, kRoot);
        int section = 0;
        for (const ovro::CQVTSection& s : device->sections) {
            auto* item = new QTreeWidgetItem(root, QStringList(Latin1(s.name)));
            item->setData(0, kSectionRole, section++);
            item->setToolTip(0, Latin1(s.toolTip));
        }
        root->setExpanded(true);
        setCurrentItem(root);
    }
    quiet_ = wasQuiet;
}

void CLeftView::OnInitialUpdate()
{
    Fill();
}

bool CLeftView::OnUpdate(int hint)
{
    if (hint == ovro::IDocumentObserver::kCommitEdits)
        return false;
    const ovro::CQVTDevice* device = doc_ != nullptr ? doc_->Device() : nullptr;
    if (device != shown_) {
        Fill();
        return true;
    }
    if (QTreeWidgetItem* root = topLevelItem(0))
        root->setText(0, Latin1(device->name));
    return false;
}

QTreeWidgetItem* CLeftView::ItemOf(int section) const
{
    QTreeWidgetItem* root = topLevelItem(0);
    if (root == nullptr || section == kRoot)
        return root;
    return section >= 0 && section < root->childCount() ? root->child(section) : nullptr;
}

int CLeftView::SelectedSection() const
{
    const QTreeWidgetItem* item = currentItem();
    return item != nullptr ? item->data(0, kSectionRole).toInt() : kRoot;
}

void CLeftView::SelectSection(int section)
{
    QTreeWidgetItem* item = ItemOf(section);
    if (item == nullptr)
        return;
    const bool wasQuiet = quiet_;
    quiet_ = true;
    setCurrentItem(item);
    quiet_ = wasQuiet;
}

void CLeftView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QTreeWidgetItem* item = currentItem())
            item->setExpanded(!item->isExpanded());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

std::optional<ovro::CContextHelp::Target> CLeftView::HelpTarget() const
{
    const QTreeWidgetItem* item = currentItem();
    if (doc_ == nullptr || doc_->Device() == nullptr || item == nullptr)
        return std::nullopt;
    const int section = item->data(0, kSectionRole).toInt();
    const auto& sections = doc_->Device()->sections;
    // The root's entry is named as the header's type line.
    std::string name = ovro::CParameterTable::HelpKey(*doc_->Device(), ovro::CParameterTable::kHeader,
                                                      ovro::CParameterTable::RowType);
    if (section != kRoot) {
        if (section < 0 || static_cast<std::size_t>(section) >= sections.size())
            return std::nullopt;
        name = sections[static_cast<std::size_t>(section)].name;
    }
    return ovro::CContextHelp::ForTreeNode(programDirectory_.toStdString(), doc_->Model(), name);
}

bool CLeftView::OnContextHelp()
{
    const std::optional<ovro::CContextHelp::Target> target = HelpTarget();
    return target && openHelp_ && openHelp_(*target);
}
