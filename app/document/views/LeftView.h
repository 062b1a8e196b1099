// CLeftView: the section tree of a document window - the device name as the
// root, the sections of its description below it. Choosing the root shows
// the document header in the parameter table, choosing a section shows its
// parameters.
#pragma once

#include <QString>
#include <QTreeWidget>

#include <optional>

#include "document/ContextHelp.h"

namespace ovro {
class CQVTDevice;
class CQVTDoc;
}

class CLeftView : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kRoot = -1;  // the section number of the root

    explicit CLeftView(ovro::CQVTDoc* doc, QWidget* parent = nullptr);

    // Fills the tree for the document's device, expands and selects the root.
    void OnInitialUpdate();
    // A refresh of the document: a new device fills the tree anew and selects
    // its root (the result is then true); otherwise the root follows the
    // device's name.
    bool OnUpdate(int hint);

    // The section of the selected node (kRoot for the root, and when none).
    int SelectedSection() const;
    // Selects a node without telling anyone.
    void SelectSection(int section);

    // ---- Context help ---------------------------------------------------------
    void SetProgramDirectory(const QString& directory) { programDirectory_ = directory; }
    void SetHelpOpener(ovro::CContextHelp::Opener opener) { openHelp_ = std::move(opener); }
    std::optional<ovro::CContextHelp::Target> HelpTarget() const;
    bool OnContextHelp();

signals:
    // The user chose a node.
    void sectionSelected(int section);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();
    QTreeWidgetItem* ItemOf(int section) const;

    ovro::CQVTDoc* doc_;
    const ovro::CQVTDevice* shown_ = nullptr;
    bool quiet_ = false;
    QString programDirectory_;
    ovro::CContextHelp::Opener openHelp_;
};
