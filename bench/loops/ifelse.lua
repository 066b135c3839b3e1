local a, b = 0, 0
for i = 1, 3000000 do
  local r = i % 3
  if r == 0 then
    a = a + 1
  else
    b = b + 1
  end
end
print(a)
print(b)
