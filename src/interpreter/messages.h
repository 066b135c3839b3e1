// Every message a run can show, in French, each in one place and named after when it is
// shown. The texts stand exactly as learners have always seen them, misspellings included:
// their programs' expected outputs and the teachers' exercise sheets quote them. Where
// two texts are near twins, their names say which statement gives which.
//
// "%1" stands for a name or a number given with the message.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zef {

// X(name, text)
#define ZEF_MESSAGES(X)                                                                           \
    /* The pre-pass: the program's heading, declarations, labels and main block. */               \
    X(MissingProgram, "Mot réservé PROGRAM manquant")                                             \
    X(MissingSemicolon, "Manque ; en fin de ligne")                                               \
    X(NameTooLong, "Nom trop long (20 maxi)")                                                     \
    X(InvalidNameCharacter, "Caractère non valide (A-Z,a-z)")                                     \
    X(DuplicateLabel, "Identificateur dupliqué")       /* a label or procedure name */            \
    X(DuplicateVariable, "Symbole déjà défini")        /* a variable name */                      \
    X(SymbolTableFull, "Table des symboles saturée")                                              \
    X(DeclarationWithoutColon, "Erreur de syntaxe (manque :)")                                    \
    X(TooManyVariables, "Trop de variables")                                                      \
    X(MissingBegin, "BEGIN manquant")                                                             \
    X(MissingFinalEnd, "END. manquant")                                                           \
    /* Statements and blocks. */                                                                  \
    X(SyntaxError, "Erreur de syntaxe")                                                           \
    X(ForHeadingSyntax, "erreur de syntaxe") /* a FOR without := or TO: FOR's own text */         \
    X(BadAssignment, "Affectation incorecte (:=)")                                                \
    X(UnknownStatement, "Identificateur inconnu") /* or an unknown array or function */           \
    X(EndWithoutBegin, "END sans BEGIN")                                                          \
    X(BeginWithoutEnd, "BEGIN sans END")                                                          \
    X(MissingThen, "THEN manquant")                                                               \
    X(MissingElse, "ELSE manquant")                                                               \
    X(BreakOutsideLoop, "BREAK sans FOR ou WHILE ou REPEAT")                                      \
    X(ExitInsideLoop, "Bloc FOR/WHILE/REPEAT en cours")                                           \
    X(ProcedureNotFound, "Procedure non trouvée")                                                 \
    X(LabelNotFound, "Etiquette non trouvée")                                                     \
    X(StackFull, "Pile saturée")                                                                  \
    X(StackEmpty, "Pile vide")                                                                    \
    X(ForUnknownCounter, "Variable inconnue")                                                     \
    X(ForCounterNotInteger, "Type de variable incorrect")                                         \
    X(ForBoundsIncompatible, "Types de données incompatibles")                                    \
    X(Interrupted, "Exécution interrompue")                                                       \
    /* Values, variables and expressions. */                                                      \
    X(BadIndex, "Indice incorrect")               /* an element outside its array */              \
    X(IndexNotInteger, "Indice de type incorrect")                                                \
    X(IndexUnreadable, "Erreur dans indice")                                                      \
    X(BadExpression, "Expression incorrecte")     /* a value that is not one */                   \
    X(ExpressionError, "Erreur dans expression") /* an unknown function, a bad COPY */            \
    X(UnterminatedString, "chaine sans fin")                                                      \
    X(ConversionError, "Erreur de conversion")                                                    \
    X(OperandType, "Type incorrect")           /* a variable of another type */                   \
    X(ElementType, "Erreur de type")           /* an element of the wrong type */                 \
    X(NotAString, "ce n'est pas un string")                                                       \
    X(BadCondition, "Expression logique incorrecte")                                              \
    X(BadDateTime, "Variable date/heure incorrecte")                                              \
    X(UnknownIdentifier, "Identificateur %1 inconnu") /* a value read by name */                  \
    X(UnknownStringVariable, "Variable %1 n'existe pas")                                          \
    X(UnknownReadTarget, "Variable %1 inconnue")  /* READ and READLN */                           \
    X(NotAnInteger, "'%1' n'est pas une valeur entière correcte")                                 \
    X(NotAReal, "'%1' n'est pas une valeur flottante correcte")                                   \
    X(BadNumber, "erreur dans nombre %1")     /* a built-in function's argument */                \
    X(OutOfMemory, "Mémoire insuffisante") /* the run would hold more than a run may */           \
    /* The screen. */                                                                             \
    X(BadParameters, "Erreur dans paramètres")                                                    \
    X(BadParameterValue, "Valeur de paramètre incorrecte")                                        \
    /* Files, printer and folders. */                                                             \
    X(OpenFailed, "Erreur Entrée/Sortie")      /* RESET and REWRITE */                            \
    X(CloseOrEofFailed, "Erreur d'entrée/sortie") /* CLOSE and EOF that fail */                   \
    X(IoError, "Erreur E/S %1")                /* a read or write failed: the run ends */         \
    X(FileVariableExpected, "Variable fichier attendue")                                          \
    X(UnknownFile, "Nom de fichier inconnu")                                                      \
    X(FileNotDeleted, "Fichier %1 n'a pas été effacé")                                            \
    X(FolderNotCreated, "Répertoire %1 n'a pas été créé")                                         \
    X(FolderNotDeleted, "Répertoire %1 n'a pas été éffacé")                                       \
    X(FolderMissing, "Répertoire %1 inexistant")

enum class Message : unsigned char {
#define ZEF_MESSAGE_NAME(name, text) name,
    ZEF_MESSAGES(ZEF_MESSAGE_NAME)
#undef ZEF_MESSAGE_NAME
};

inline constexpr int kMessageCount = 0
#define ZEF_MESSAGE_COUNT(name, text) +1
    ZEF_MESSAGES(ZEF_MESSAGE_COUNT)
#undef ZEF_MESSAGE_COUNT
    ;

// The message as written here, in UTF-8, with its "%1".
std::string_view messageText(Message message);
// The message as a run shows it: 8-bit Windows-1252, with "%1" replaced by the 8-bit
// argument.
std::string messageFor(Message message, std::string_view argument8bit = {});
// The message's name as written above (UnknownStatement): the help's page of messages has
// an entry of that name for each.
std::string_view messageName(Message message);
// Which message a text shown by a run is (8-bit, with its argument in place of "%1"), if
// it is one of the catalogue's.
std::optional<Message> messageOf(std::string_view text8bit);

// Why a run stopped when the statement that stopped it showed no message of its own. The
// program's screen never shows these (what it shows stays as above); the IDE's error box,
// zefrun and the grading reports name them, after kStopPrefix where a line says the run
// stopped. The help's page of messages has an entry for each, under its name.
// X(name, text)
#define ZEF_STOP_REASONS(X)                                                                       \
    X(UnknownTarget, "identificateur %1 inconnu") /* an assignment to an undeclared name */       \
    X(DivisionByZero, "division par zéro")                                                        \
    X(Overflow, "dépassement de capacité")    /* a result too large for its type */

enum class StopReason : unsigned char {
#define ZEF_STOP_REASON_NAME(name, text) name,
    ZEF_STOP_REASONS(ZEF_STOP_REASON_NAME)
#undef ZEF_STOP_REASON_NAME
};

inline constexpr int kStopReasonCount = 0
#define ZEF_STOP_REASON_COUNT(name, text) +1
    ZEF_STOP_REASONS(ZEF_STOP_REASON_COUNT)
#undef ZEF_STOP_REASON_COUNT
    ;

// What a line that reports a stop without a message starts with, in UTF-8.
inline constexpr std::string_view kStopPrefix = "Exécution arrêtée";

std::string_view stopReasonText(StopReason reason);
// The reason as the IDE and zefrun give it: 8-bit, "%1" replaced by the 8-bit argument.
std::string stopReasonFor(StopReason reason, std::string_view argument8bit = {});
// The reason's name as written above: its entry's anchor on the help's page of messages.
std::string_view stopReasonName(StopReason reason);
// The words of a stop without a message of its own, with its reason (8-bit in and out):
// "Exécution arrêtée : division par zéro"; without a reason, the first words alone.
std::string stoppedBecause(std::string_view reason8bit);
// Which reason an 8-bit text gives, alone or after kStopPrefix and " : ".
std::optional<StopReason> stopReasonOf(std::string_view text8bit);

} // namespace zef
