// The editing rules without a window: Enter's indentation and the caret's place in an
// inserted fragment.
#include "editing.h"

#include <gtest/gtest.h>

using namespace zef::editor;

TEST(Editing, EnterCarriesTheReferenceLinesIndentation) {
    const std::vector<std::string> text = {"    first", "  two", "\t \tthree", "", std::string(300, ' ') + "x"};
    auto at = [&](int line, int column) {
        return EnterIndentation(line, column, [&](int i) { return text[static_cast<std::size_t>(i)]; });
    };
    EXPECT_EQ(at(1, 5), "  ");      // the caret's own line
    EXPECT_EQ(at(2, 6), "\t \t");   // tabs as they stand
    EXPECT_EQ(at(2, 0), "  ");      // at a line's start: the line above
    EXPECT_EQ(at(2, 1), "  ");      // at its second character too
    EXPECT_EQ(at(3, 0), "\t \t");
    EXPECT_EQ(at(4, 0), "");        // an empty line above gives no indentation
    EXPECT_EQ(at(4, 200)->size(), 255u);
    // The first line is never a reference: Enter is left as it is there.
    EXPECT_FALSE(at(0, 6));
    EXPECT_FALSE(at(1, 1));
}

TEST(Editing, TheCaretLandsOnTheLineToFillIn) {
    const std::string loop = "For I:=1 to 10 do\r\nbegin\r\n\r\nend;";
    EXPECT_EQ(loop.substr(0, CaretInFragment(Insertion::For, loop)), "For I:=1 to 10 do\r\nbegin\r\n");
    const std::string ifElse = "If A=B then\r\nbegin\r\n\r\nend\r\nelse\r\nbegin\r\n\r\nend;";
    EXPECT_EQ(ifElse.substr(0, CaretInFragment(Insertion::If, ifElse)), "If A=B then\r\nbegin\r\n");
    // Letters "else" in an operand do not make a second block.
    const std::string ifOnly = "If else=B then\r\nbegin\r\n\r\nend;";
    EXPECT_EQ(ifOnly.substr(0, CaretInFragment(Insertion::If, ifOnly)), "If else=B then\r\nbegin\r\n");
    EXPECT_EQ(CaretInFragment(Insertion::Repeat, "Repeat\r\n\r\nUntil A<B"), 8u);
    const std::string file = "Assign(Close,'f');\r\nReset(Close);\r\n\r\nClose(Close);";
    EXPECT_EQ(file.substr(0, CaretInFragment(Insertion::File, file)), "Assign(Close,'f');\r\nReset(Close);\r\n");
    EXPECT_EQ(CaretInFragment(Insertion::Printer, "AssignPrn(Prn);\r\n"), 17u);
}

TEST(Editing, AFileDialogOpensOnTheFilterItsSuggestedNameBelongsTo) {
    const std::string filters = "Fichiers pascal (*.pas);;Fichiers texte (*.txt);;Tous les fichiers (*)";
    // The suggested pattern itself names its entry, though "*" would take it too.
    EXPECT_EQ(filterMatching(filters, "*.txt"), "Fichiers texte (*.txt)");
    EXPECT_EQ(filterMatching(filters, "*.pas"), "Fichiers pascal (*.pas)");
    // A file name goes to the first entry whose pattern takes it.
    EXPECT_EQ(filterMatching(filters, "essai.pas"), "Fichiers pascal (*.pas)");
    EXPECT_EQ(filterMatching(filters, "notes.doc"), "Tous les fichiers (*)");
    EXPECT_EQ(filterMatching("Images (*.png *.jpg)", "photo.jpg"), "Images (*.png *.jpg)");
    EXPECT_EQ(filterMatching("Fichiers pascal (*.pas)", "notes.txt"), "");
    EXPECT_EQ(filterMatching("Unités (?.pas)", "a.pas"), "Unités (?.pas)");
    EXPECT_EQ(filterMatching("Unités (?.pas)", "ab.pas"), "");
}

// The word F1 asks the help about: the one the caret stands in or just after.
TEST(Editing, TheWordAtTheCaret) {
    const std::string line = "  WriteLn(Total_2);";
    EXPECT_EQ(WordAt(line, 2), "WriteLn");
    EXPECT_EQ(WordAt(line, 9), "WriteLn"); // just after it, on the "("
    EXPECT_EQ(WordAt(line, 12), "Total_2");
    EXPECT_EQ(WordAt(line, 0), "");
    EXPECT_EQ(WordAt(line, 100), "");
    EXPECT_EQ(WordAt("", 0), "");
}
