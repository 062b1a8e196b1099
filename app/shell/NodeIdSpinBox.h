// NodeIdSpinBox.h - the node-id field of the connection dialogs: its
// arrows run over the node-ids 1...127, while the number typed may go
// beyond them up to the field's own limit (the dialog then says what it
// takes).
#pragma once

#include <QSpinBox>

class CNodeIdSpinBox : public QSpinBox {
    Q_OBJECT
public:
    // A field that takes 0...typedMaximum.
    CNodeIdSpinBox(int typedMaximum, QWidget* parent = nullptr);

    // The arrows' range.
    static int SpinMinimum();
    static int SpinMaximum();

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
};
