PROGRAM Tableau;
VAR I, K, S: INTEGER;
VAR T: ARRAY[1000] OF INTEGER;
BEGIN
  S := 0;
  FOR K:=1 TO 3000 DO
  BEGIN
    FOR I:=1 TO 1000 DO
      T[I] := I + K;
    FOR I:=1 TO 1000 DO
      S := S + T[I];
    S := S MOD 999983;
  END;
  WRITELN(S);
END.
