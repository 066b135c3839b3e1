PROGRAM Crible;
VAR I, J, K, N, R: INTEGER;
VAR T: ARRAY[1900] OF INTEGER;
BEGIN
  N := 0;
  FOR R:=1 TO 1000 DO
  BEGIN
    FOR I:=1 TO 1900 DO
      T[I] := 1;
    FOR I:=2 TO 1900 DO
    BEGIN
      IF T[I] = 1 THEN
      BEGIN
        N := N + 1;
        K := I * I;
        WHILE K <= 1900 DO
        BEGIN
          T[K] := 0;
          K := K + I;
        END;
        WEND;
      END;
    END;
  END;
  WRITELN(N);
END.
