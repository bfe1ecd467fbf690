#pragma once

#include <QStringList>

// The 144 entries of every reminder time list: ten-minute steps from 5:00 AM round the clock to
// 4:50 AM, in the clock text's own form so an entry matches the clock exactly.
const QStringList& reminderTimes();
