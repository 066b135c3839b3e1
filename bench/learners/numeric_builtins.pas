PROGRAM FonctionsNombres;
VAR I, K, T: INTEGER;
VAR R, X, Y: REAL;
BEGIN
  T := 0;
  X := 0;
  FOR I:=1 TO 700000 DO
  BEGIN
    X := X + 1;
    R := SQRT(X);
    K := INT(R);
    T := T + K;
    Y := 500 - R;
    R := ABS(Y);
    K := INT(R);
    T := T + K;
  END;
  WRITELN(T);
END.
