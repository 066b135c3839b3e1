PROGRAM SiSinon;
VAR I, R, A, B: INTEGER;
BEGIN
  A := 0;
  B := 0;
  FOR I:=1 TO 3000000 DO
  BEGIN
    R := I MOD 3;
    IF R = 0 THEN
      A := A + 1
    ELSE
      B := B + 1;
  END;
  WRITELN(A);
  WRITELN(B);
END.
