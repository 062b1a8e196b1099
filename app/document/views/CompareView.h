// CCompareView: the Compare view of the parameter window - every parameter
// with its value in the drive, in the document and the description's
// default, marked as CParameterCompare decides; the count of differences
// below. It only shows: reading the drive and the marks are the logic's.
#pragma once

#include <QWidget>

#include <vector>

#include "document/ParameterCompare.h"

class QLabel;
class QTableWidget;

class CCompareView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 6;  // Parameter, Object, Drive, Document, Default, mark

    explicit CCompareView(QWidget* parent = nullptr);

    void Show(const std::vector<ovro::CParameterCompare::Row>& rows);
    // Shows why nothing could be compared.
    void ShowFailure(const QString& text);

    QTableWidget* Table() const { return table_; }
    QLabel* Summary() const { return summary_; }

signals:
    // The user asks to read the drive again.
    void refreshRequested();

private:
    QTableWidget* table_;
    QLabel* summary_;
};
