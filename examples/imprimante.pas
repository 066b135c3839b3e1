PROGRAM Imprimante;
VAR I, P: INTEGER;
{ Imprime la table de 9 ; l'écran n'affiche qu'un titre placé avec GOTOXY. }
BEGIN
  CLRSCR;
  GOTOXY(2,10);
  WRITELN('Impression de la table de 9');
  ASSIGNPRN(PRN);
  REWRITE(PRN);
  WRITELN(PRN,'Table de 9');
  FOR I:=1 TO 10 DO
  BEGIN
    P := 9 * I;
    WRITE(PRN,I);
    WRITE(PRN,' x 9 = ');
    WRITELN(PRN,P);
  END;
  WRITELN('Terminé');
END.
