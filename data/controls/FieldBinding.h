#pragma once

#include "data/controls/DataControl.h"

#include <QObject>
#include <QPointer>
#include <QString>

class DataControl;
class QWidget;
class QLineEdit;
class QPlainTextEdit;
class QComboBox;

// Binds one box (line edit, multi-line edit or combo box) to one field of a data control.
// The box shows the field of the current record; whatever changes its text, typing or code,
// goes into the data control's edit buffer. The binding is a child of the box, so it dies with it.
class FieldBinding : public QObject {
    Q_OBJECT
  public:
    FieldBinding(QLineEdit* box, DataControl* source, const QString& field);
    FieldBinding(QPlainTextEdit* box, DataControl* source, const QString& field);
    FieldBinding(QComboBox* box, DataControl* source, const QString& field);
    ~FieldBinding() override;

    static FieldBinding* of(QWidget* box);

    QString dataField() const { return field_; }
    // Rebinds the box to another field of the same record and shows that field at once.
    void setDataField(const QString& field);
    DataControl* dataSource() const { return source_; }

    QString boxText() const;
    // Shows a value without counting it as a change.
    void show(const QString& text);
    // The data control is going away.
    void detachSource() { source_ = nullptr; }

  private:
    void init(QWidget* box, DataControl* source, const QString& field);
    void boxTextChanged();

    QWidget* box_ = nullptr;
    QPointer<DataControl> source_;
    QString field_;
    bool showing_ = false;
};
