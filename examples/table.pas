PROGRAM Table;
VAR F: TEXTFILE;
VAR TITRE, S: STRING;
VAR N, I, P, K, FIN: INTEGER;
{ Exercice avec essais : voir le dossier table.essais. }
{ Affiche le titre lu dans titre.txt, puis la table }
{ du nombre tapé, jusqu'au paramètre d'exécution }
{ (jusqu'à 10 sans paramètre). }
BEGIN
  ASSIGN(F,'titre.txt');
  RESET(F);
  READLN(F,TITRE);
  CLOSE(F);
  WRITELN(TITRE);
  FIN := 10;
  K := PARAMCOUNT;
  IF K > 0 THEN
  BEGIN
    S := PARAMSTR(1);
    FIN := VAL(S);
  END;
  WRITE('Quelle table ? ');
  READLN(N);
  FOR I:=1 TO FIN DO
  BEGIN
    P := N * I;
    WRITE(N);
    WRITE(' x ');
    WRITE(I);
    WRITE(' = ');
    WRITELN(P);
  END;
END.
