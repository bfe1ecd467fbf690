#pragma once

#include "board/BoardControls.h"

#include <QtGlobal>

class DatabaseProvider;
class EditJournal;
class QMainWindow;
class QString;

// Creates every control of the main board in its state before the load sequence runs (names,
// captions, colours, typing limits, locks, starting texts, field bindings), lays them out and
// fills BoardControls. Behaviour is connected by the window itself.
class BoardBuilder {
  public:
    BoardBuilder(QMainWindow& form, DatabaseProvider& provider, EditJournal& journal,
                 BoardControls& controls);
    void build();

  private:
    void buildDataControls();
    void buildTimers();
    void buildMenus();
    QWidget* buildCopyRow(QWidget* parent);
    QGroupBox* buildStation(QWidget* parent);
    QGroupBox* buildHourGrid(QWidget* parent);
    QGroupBox* buildEvents(QWidget* parent);
    QGroupBox* buildWeather(QWidget* parent);
    QGroupBox* buildSlogans(QWidget* parent);
    QGroupBox* buildNetworkSetup(QWidget* parent);
    QGroupBox* buildReminderPanel(int which, QWidget* parent);
    void bindBoxes();

    QPushButton* command(int n, const QString& caption, QWidget* parent);
    XButton* xbutton(int k, const QString& caption, quint32 back, quint32 fore, QWidget* parent);

    QMainWindow& form_;
    DatabaseProvider& provider_;
    EditJournal& journal_;
    BoardControls& c_;
};
