PROGRAM FonctionsChaines;
VAR I, P, V, W, T: INTEGER;
VAR S, U: STRING;
BEGIN
  T := 0;
  FOR I:=1 TO 600000 DO
  BEGIN
    S := INTTOSTR(I);
    U := S + 'abc';
    U := UPPERCASE(U);
    P := POS('7',S);
    V := VAL(S);
    T := T + P;
    W := V MOD 7;
    T := T + W;
    W := LENGTH(U);
    T := T + W;
  END;
  WRITELN(T);
END.
