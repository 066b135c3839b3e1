PROGRAM Table_multiplication;
VAR N, I, P: INTEGER;
{ Affiche la table de multiplication d'un nombre tapé au clavier. }
{ Une expression n'a qu'un opérateur : le produit passe par la variable P. }
BEGIN
  WRITE('Quelle table ? ');
  READ(N);
  WRITELN;
  FOR I:=1 TO 10 DO
  BEGIN
    P := N * I;
    WRITE(N);
    WRITE(' x ');
    WRITE(I);
    WRITE(' = ');
    WRITELN(P);
  END;
END.
