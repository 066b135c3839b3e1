PROGRAM Imbriquees;
VAR I, J, S: INTEGER;
BEGIN
  S := 0;
  FOR I:=1 TO 2500 DO
  BEGIN
    FOR J:=1 TO 2500 DO
    BEGIN
      S := S + 1;
    END;
  END;
  WRITELN(S);
END.
