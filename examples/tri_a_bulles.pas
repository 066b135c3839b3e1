PROGRAM Tri_a_bulles;
VAR T: ARRAY[6] OF INTEGER;
VAR I, J, M, N, X, ECHANGE: INTEGER;
{ Lit six nombres dans un tableau et les trie par ordre croissant (tri à bulles). }
{ READLN ne lit que dans une variable simple : on passe par X. }
BEGIN
  N := 6;
  FOR I:=1 TO N DO
  BEGIN
    WRITE('Nombre ');
    WRITE(I);
    WRITE(' : ');
    READLN(X);
    T[I] := X;
  END;
  M := N - 1;
  REPEAT
    ECHANGE := 0;
    FOR I:=1 TO M DO
    BEGIN
      J := I + 1;
      IF T[I] > T[J] THEN
      BEGIN
        X := T[I];
        T[I] := T[J];
        T[J] := X;
        ECHANGE := 1;
      END;
    END;
  UNTIL ECHANGE = 0;
  WRITE('Tableau trié :');
  FOR I:=1 TO N DO
  BEGIN
    WRITE(' ');
    WRITE(T[I]);
  END;
  WRITELN;
END.
