PROGRAM Fichiers;
VAR F: TEXTFILE;
VAR I, N, L, T: INTEGER;
VAR S: STRING;
BEGIN
  ASSIGN(F,'bench_fichier.txt');
  REWRITE(F);
  FOR I:=1 TO 600000 DO
    WRITELN(F,I);
  CLOSE(F);
  RESET(F);
  N := 0;
  T := 0;
  WHILE NOT EOF(F) DO
  BEGIN
    READLN(F,S);
    N := N + 1;
    L := LENGTH(S);
    T := T + L;
  END;
  WEND;
  CLOSE(F);
  WRITELN(N);
  WRITELN(T);
END.
