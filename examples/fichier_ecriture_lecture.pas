PROGRAM Fichier_ecriture_lecture;
VAR F: TEXTFILE;
VAR NOM, LIGNE: STRING;
VAR NB: INTEGER;
{ Écrit une liste de courses dans un fichier, puis la relit ligne par ligne. }
BEGIN
  NOM := 'courses.txt';
  ASSIGN(F,NOM);
  REWRITE(F);
  WRITELN(F,'pain');
  WRITELN(F,'lait');
  WRITELN(F,'pommes');
  CLOSE(F);
  WRITELN('Fichier écrit.');
  RESET(F);
  NB := 0;
  WHILE NOT EOF(F) DO
  BEGIN
    READLN(F,LIGNE);
    NB := NB + 1;
    WRITE(NB);
    WRITE(' - ');
    WRITELN(LIGNE);
  END;
  WEND;
  CLOSE(F);
  WRITE('Nombre de lignes : ');
  WRITELN(NB);
END.
