#pragma once

class QLineEdit;

// Whatever the user types or pastes into the field, it keeps no tab, line end or other control
// character; the cursor stays where the kept text puts it.
void keepPrintable(QLineEdit* edit);
