PROGRAM Lecture;
VAR I, K, W, T: INTEGER;
BEGIN
  T := 0;
  FOR I:=1 TO 500000 DO
  BEGIN
    READLN(K);
    W := K MOD 1000;
    T := T + W;
  END;
  WRITELN(T);
END.
