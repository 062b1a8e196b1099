// DlgOptionNodePage.h - "Node Settings": the node-id and baud rate the
// connection dialogs propose.
#pragma once

#include <QWidget>

#include <cstdint>

class QComboBox;
class QPushButton;
class QSpinBox;

class CDlgOptionNodePage : public QWidget {
    Q_OBJECT
public:
    CDlgOptionNodePage(std::uint8_t nodeId, std::uint8_t baudIndex, QWidget* parent = nullptr);

    std::uint8_t NodeId() const;
    std::uint8_t BaudIndex() const;

    QSpinBox* NodeIdField() const { return nodeId_; }
    QComboBox* BaudList() const { return baud_; }
    QPushButton* DefaultsButton() const { return defaults_; }

public slots:
    // Node-id 127 and 20 kBit/s.
    void OnDefaults();

private:
    QSpinBox* nodeId_ = nullptr;
    QComboBox* baud_ = nullptr;
    QPushButton* defaults_ = nullptr;
};
