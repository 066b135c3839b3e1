// Shows a sample program in the colour memo with the editor's rules and saves the picture:
//     colormemo_screenshot out.png
#include "colormemo.h"

#include <QApplication>
#include <QImage>
#include <QTextBlock>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: colormemo_screenshot out.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zef::TColorMemo memo;
    QFont font("DejaVu Serif");
    font.setPixelSize(17);
    memo.setFont(font);
    zef::SetEditorColorRules(memo);
    memo.setPlainText(QString::fromUtf8(
        "Program Essai;\n"
        "var I: integer; // Integer\n"
        "var S: string;\n"
        "var R: real;\n"
        "{ Affiche une table\n"
        "  de multiplication }\n"
        "Procedure Table;\n"
        "begin\n"
        "  For I := 1 To 10 Do\n"
        "    WriteLn(I, ' x 7 = ', I * 7);\n"
        "  Next I\n"
        "EndSub\n"
        "begin\n"
        "  ClrScr;\n"
        "  S := UpperCase('été');   // accents inchangés\n"
        "  If Length(S) > 2 Then\n"
        "    Call Table\n"
        "  Else\n"
        "    WriteLn('court');\n"
        "»  R := Sqrt(2);\n"
        "  ReadLn(S);\n"
        "end.\n"
        "{ ce commentaire ne se ferme pas"));
    memo.resize(560, 420);
    // Select a word to show that selected text keeps the selection look.
    QTextCursor c(memo.document());
    c.setPosition(memo.document()->findBlockByNumber(13).position() + 2);
    c.setPosition(memo.document()->findBlockByNumber(13).position() + 8, QTextCursor::KeepAnchor);
    memo.setTextCursor(c);
    memo.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QImage image = memo.grab().toImage();
    if (!image.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
