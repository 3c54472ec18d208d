#pragma once

#include <QDialog>
#include <QString>

namespace halden {

// "QPF Dialog" (template 207): asks whether to make a request form for the saved
// project, and for its addressee, sender and part number.
class QpfRequestDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 207;
    static constexpr int kTo = 1100;
    static constexpr int kFrom = 1101;
    static constexpr int kPartNo = 1102;

    explicit QpfRequestDialog(QWidget* parent = nullptr);

    const QString& to() const { return to_; }
    const QString& from() const { return from_; }
    const QString& partNo() const { return partNo_; }

public slots:
    void accept() override;

private:
    QString to_;
    QString from_;
    QString partNo_;
};

} // namespace halden
