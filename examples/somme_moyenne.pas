PROGRAM Somme_moyenne;
VAR N, I: INTEGER;
VAR X, SOMME, COMPTE, MOYENNE: REAL;
{ Lit des nombres au clavier, puis affiche leur somme et leur moyenne. }
{ Les nombres réels s'écrivent avec une virgule : 7,5 }
{ Les calculs réels ne prennent que des variables réelles : on compte donc dans COMPTE. }
BEGIN
  WRITE('Combien de nombres ? ');
  READLN(N);
  IF N < 1 THEN
  BEGIN
    WRITELN('Il faut au moins un nombre.');
    GOTO FIN;
  END;
  SOMME := 0;
  COMPTE := 0;
  FOR I:=1 TO N DO
  BEGIN
    WRITE('Nombre ');
    WRITE(I);
    WRITE(' : ');
    READLN(X);
    SOMME := SOMME + X;
    COMPTE := COMPTE + 1;
  END;
  MOYENNE := SOMME / COMPTE;
  WRITE('Somme : ');
  WRITELN(SOMME);
  WRITE('Moyenne : ');
  WRITELN(MOYENNE);
  FIN:
END.
