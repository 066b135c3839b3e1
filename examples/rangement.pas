PROGRAM Rangement;
VAR F: TEXTFILE;
VAR DOSSIER, LIGNE: STRING;
{ Crée un dossier, y écrit une note, la relit, puis efface la note et le dossier. }
BEGIN
  DOSSIER := 'archives';
  MKDIR DOSSIER;
  CHDIR DOSSIER;
  ASSIGN(F,'note.txt');
  REWRITE(F);
  WRITELN(F,'Penser à sauvegarder');
  CLOSE(F);
  RESET(F);
  READLN(F,LIGNE);
  CLOSE(F);
  SHOWMESSAGE LIGNE;
  DELETEFILE 'NOTE.TXT';
  CHDIR '..';
  RMDIR DOSSIER;
  WRITELN('Dossier rangé.');
END.
