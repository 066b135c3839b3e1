// Qt's own texts (the buttons of message boxes, the file, print and page set-up dialogs)
// in French, like everything else in the IDE.
#pragma once

class QCoreApplication;

namespace zef {

// Loads Qt's French translations from Qt's translations folder, with the texts they lack,
// and makes French the default locale of Qt's widgets. The IDE speaks French whatever the
// desktop's language (a C or POSIX locale counts as French too). Answers
// false when the translations are not installed: the standard dialogs then stay in
// English, while the IDE's own boxes name their buttons in French anyway.
bool installFrenchTranslations(QCoreApplication& app);

} // namespace zef
