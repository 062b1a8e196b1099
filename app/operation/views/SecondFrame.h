// CSecondFrame: the MDI child window of the Motion Control and the Device
// Status views. It opens where its placement record ("MotionControl" or
// "DeviceStatus", named after its title) says, writes the record when it
// closes (a maximised window writes "ChildFrame" instead), and tells its
// owner that it is gone. It stays open while a command runs on the
// document, for its view's pages run them.
#pragma once

#include <functional>

#include <QMdiSubWindow>
#include <QRect>

class ISettingsStore;

class CSecondFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // view becomes the frame's widget; the frame deletes itself when closed.
    CSecondFrame(const QString& title, QWidget* view, ISettingsStore& settings, QWidget* parent = nullptr);

    // Shows the frame where its record says on a screen of that size;
    // maximised: the active child window is maximised.
    void ShowInitial(const QSize& screen, bool maximised);
    bool SavePlacement();
    // While busy() holds (a command runs on the document) the frame does
    // not close.
    void SetBusyQuery(std::function<bool()> busy) { busy_ = std::move(busy); }
    // The document's own close (disconnect, firmware update): it goes
    // through while the document's command runs, since that command is the
    // one closing the frame.
    bool CloseForDocument();

signals:
    void frameClosed(CSecondFrame* frame);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void KeepNormalGeometry();

    ISettingsStore& settings_;
    QRect normal_;
    std::function<bool()> busy_;
    bool documentCloses_ = false;
};
