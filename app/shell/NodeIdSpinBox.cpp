// NodeIdSpinBox.cpp - a node-id field whose arrows stay on the node-ids.
#include "shell/NodeIdSpinBox.h"

#include "canopen/CANopenTypes.h"

#include <algorithm>

CNodeIdSpinBox::CNodeIdSpinBox(int typedMaximum, QWidget* parent) : QSpinBox(parent)
{
    setRange(0, typedMaximum);
}

int CNodeIdSpinBox::SpinMinimum()
{
    return CANopen::kMinNodeId;
}

int CNodeIdSpinBox::SpinMaximum()
{
    return CANopen::kMaxNodeId;
}

void CNodeIdSpinBox::stepBy(int steps)
{
    // A typed number outside the node-ids steps back onto them.
    setValue(std::clamp(value() + steps, SpinMinimum(), SpinMaximum()));
    selectAll();
}

QAbstractSpinBox::StepEnabled CNodeIdSpinBox::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() < SpinMaximum())
        enabled |= StepUpEnabled;
    if (value() > SpinMinimum())
        enabled |= StepDownEnabled;
    return enabled;
}
