#pragma once

#include "data/storage/Recordset.h"

#include <QByteArray>
#include <QString>

// Text that could not be stored when its data control moved on or closed: the share was locked,
// read-only or away, or another studio had changed or deleted the record. It is kept in a file on
// this computer (never on the share), so a restart does not lose it, and written again later.
struct KeptEdit {
    QString file; // the file's name in its data folder ("Monday.mdb"); a whole path is split on keeping
    QString table;
    QByteArray key; // the record's bookmark; empty for a new record
    FieldValues fields;
    ExpectedValues expected;
    QString reason;        // the engine's words
    bool conflict = false; // another studio changed the record: only a person can settle it
    bool refused = false;  // with conflict: this user may not write the file, a person must mend that
    QString folder = {};   // the data folder or server the file belongs to, without a password
    // Which kept edit this is, whatever else is kept or settled meanwhile: given when it is kept.
    QString id = {};
};

// Where a data control puts what is typed until it is stored, and what could not be stored when it
// moved on. Every control has one: the board's is the rescue store (KeptEdits); a tool's keeps
// nothing, so there a write that fails is thrown to whoever asked for it.
class EditJournal {
  public:
    virtual ~EditJournal() = default;
    // Whether keep() keeps: otherwise what cannot be stored stays with the caller as a failure.
    virtual bool keeps() const = 0;
    virtual void keep(KeptEdit edit) = 0;
    // What a control's edit buffer holds now (source names the control), and that it is gone.
    virtual void typing(const void* source, KeptEdit edit) = 0;
    virtual void settled(const void* source) = 0;
    // Whatever typing is not yet written down is, before it is sent.
    virtual void flush() = 0;

    // The journal of a program without a rescue store: it keeps nothing.
    static EditJournal& none();
};
