PROGRAM TriBulles;
VAR I, J, K, X, A, B, N, M: INTEGER;
VAR T: ARRAY[1800] OF INTEGER;
BEGIN
  N := 1800;
  X := 12345;
  FOR I:=1 TO N DO
  BEGIN
    X := X * 1103;
    X := X + 12345;
    X := X MOD 65536;
    T[I] := X;
  END;
  FOR I:=1 TO N DO
  BEGIN
    M := N - I;
    FOR J:=1 TO M DO
    BEGIN
      A := T[J];
      K := J + 1;
      B := T[K];
      IF A > B THEN
      BEGIN
        T[J] := B;
        T[K] := A;
      END;
    END;
  END;
  WRITELN(T[1]);
  WRITELN(T[900]);
  WRITELN(T[1800]);
END.
