// COwnerLock: keeps the owner window of a modeless box disabled while the
// box is open, as a modal box would, and enables it again at the end -
// unless it was disabled before. The owner's children are disabled with it;
// the box itself stays enabled.
#pragma once

#include <QPointer>
#include <QWidget>

class COwnerLock {
public:
    COwnerLock(QWidget* owner, QWidget& box) : owner_(owner)
    {
        if (owner_ && owner_->isEnabled()) {
            owner_->setEnabled(false);
            locked_ = true;
            box.setEnabled(true);
        }
    }
    ~COwnerLock()
    {
        if (locked_ && owner_)
            owner_->setEnabled(true);
    }
    COwnerLock(const COwnerLock&) = delete;
    COwnerLock& operator=(const COwnerLock&) = delete;

private:
    QPointer<QWidget> owner_;
    bool locked_ = false;
};
