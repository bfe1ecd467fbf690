#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The about box: product and version, where to find updates, where to ask for support.
class frmAbout : public QWidget {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

    // "&Ok": the box goes away.
    void Command1_Click();

  private:
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Command1;
};

// Shows the about box, creating it on first use; a box already open is only brought to the front.
frmAbout* showAbout();
