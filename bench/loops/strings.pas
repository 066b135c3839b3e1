PROGRAM Chaines;
VAR I, N, T: INTEGER;
VAR S, U: STRING;
BEGIN
  S := 'abcdefghij';
  T := 0;
  FOR I:=1 TO 1500000 DO
  BEGIN
    U := COPY(S,2,5);
    U := U + 'xyz';
    N := LENGTH(U);
    T := T + N;
  END;
  WRITELN(T);
END.
