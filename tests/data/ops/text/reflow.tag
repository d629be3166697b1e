1 = TAG is fixed
2 = TAG is fixed
====================================================
>> 2 Fixed Strings
