PROGRAM Table;
VAR F: TEXTFILE;
VAR TITRE, S: STRING;
VAR N, I, P, K, FIN: INTEGER;
{ Exercice avec essais : le dossier table.essais/ tout à côté contient les essais. }
{ Affiche le titre lu dans le fichier titre.txt, puis la table de multiplication }
{ du nombre lu au clavier, jusqu'au paramètre d'exécution (10 sans paramètre). }
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
